#!/usr/bin/env python3
# program_literals.py OUTPUT.inc SOURCE_ROOT FILE...: every unprefixed, non-raw
# narrow string literal of the sources, each as the narrow literal (GBK) and as
# a wide one (the compiler's UTF-16 of the same source text), with its place.
import re
import sys

out, root, rows = sys.argv[1], sys.argv[2].rstrip('/') + '/', []
token = re.compile(r'//[^\n]*|/\*.*?\*/|#\s*include[^\n]*|(\w*)("(?:[^"\\\n]|\\.)*")|\'(?:[^\'\\\n]|\\.)*\'', re.S)
for path in sorted(sys.argv[3:]):
    text = open(path, encoding='utf-8').read()
    for m in token.finditer(text):
        prefix, literal = m.groups()
        if literal and not prefix and '\\x' not in literal:
            where = '%s:%d' % (path[len(root):], text.count('\n', 0, m.start()) + 1)
            rows.append('{%s, sizeof %s - 1, L%s, sizeof L%s / sizeof(wchar_t) - 1, "%s"},'
                        % (literal, literal, literal, literal, where))
with open(out, 'w', encoding='utf-8') as f:
    f.write('const ProgramLiteral kProgramLiterals[] = {\n%s\n};\n' % '\n'.join(rows))
