tarnwell_suite(ui LIBS tarnwell_app)
