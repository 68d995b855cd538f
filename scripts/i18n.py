#!/usr/bin/env python3
"""The Japanese catalogue (app/i18n/quorva_ja.ts) and its check.

  i18n.py update        re-extracts the texts from the sources into the
                        catalogue: translations of texts still in use are
                        kept, new texts come in unfinished, texts no longer
                        in use go
  i18n.py todo [FILE]   writes the unfinished texts as a tab-separated list
                        (context, id, source, empty translation column)
  i18n.py import FILE   takes the translations of such a list, filled in
  i18n.py check         fails when a text of the sources has no finished
                        translation or a translation lost a placeholder,
                        a line break, a tab or a '|' of its source

The texts are the string table (platform/text/string_table.inc, context
"strings", the id as disambiguation) and every string literal of the sources
that build windows (context "ui"): files that include a Qt widget header.
Literals that are no text for the user (profile keys, SQL, object names,
trace lines) are left out by the rules below or listed in
app/i18n/not_texts.txt.
"""
import html
import os
import re
import sys
import xml.etree.ElementTree as ET

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLE = os.path.join(TOP, 'platform', 'text', 'string_table.inc')
CATALOGUE = os.path.join(TOP, 'app', 'i18n', 'quorva_ja.ts')
NOT_TEXTS = os.path.join(TOP, 'app', 'i18n', 'not_texts.txt')
SKIP_DIRS = {'tests', 'bench', 'fuzz', 'devices', 'build-node', 'scripts', 'resources', 'cmake', '.git'}
WIDGET_INCLUDE = re.compile(r'#\s*include\s*<Q(?:Label|PushButton|Dialog|Menu|Widget|GroupBox|CheckBox|'
                            r'RadioButton|MainWindow|ToolBar|StatusBar|MessageBox|ComboBox|TableWidget|'
                            r'TabWidget|ListWidget|LineEdit|ToolButton|Frame|Splitter|Action|Slider|'
                            r'SpinBox|ScrollBar|ProgressBar|TextEdit|PlainTextEdit|TreeWidget|Wizard)\b')


# ---------------------------------------------------------------- C literals
def c_unescape(body):
    """The bytes of a C string literal's body."""
    out = bytearray()
    i = 0
    simple = {'n': 10, 't': 9, 'r': 13, '0': 0, 'a': 7, 'b': 8, 'f': 12, 'v': 11,
              '\\': 92, '"': 34, "'": 39, '?': 63}
    while i < len(body):
        c = body[i]
        if c != '\\':
            out += c.encode('utf-8')
            i += 1
            continue
        n = body[i + 1]
        if n == 'x':
            m = re.match(r'[0-9A-Fa-f]+', body[i + 2:])
            out.append(int(m.group(0), 16) & 0xFF)
            i += 2 + len(m.group(0))
        elif n in '01234567':
            m = re.match(r'[0-7]{1,3}', body[i + 1:])
            out.append(int(m.group(0), 8) & 0xFF)
            i += 1 + len(m.group(0))
        else:
            out.append(simple.get(n, ord(n)))
            i += 2
    return bytes(out)


def c_escape(text):
    return (text.replace('\\', '\\\\').replace('"', '\\"').replace('\n', '\\n')
            .replace('\t', '\\t').replace('\r', '\\r'))


TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|(?:u8|u|U|L)?R"([^(]*)\((.*?)\)\1"|'
                   r'(?:u8|u|U|L)?"((?:[^"\\\n]|\\.)*)"|\'(?:[^\'\\\n]|\\.)*\'|^\s*#\s*include[^\n]*',
                   re.S | re.M)


def literals(source):
    """The string literals of a C++ source, adjacent ones joined: (text, text before it)."""
    pieces = []  # (start, end, bytes)
    for m in TOKEN.finditer(source):
        if m.group(3) is not None:
            pieces.append((m.start(), m.end(), c_unescape(m.group(3))))
        elif m.group(2) is not None:
            pieces.append((m.start(), m.end(), m.group(2).encode('utf-8')))
    joined = []
    for start, end, data in pieces:
        if joined and source[joined[-1][1]:start].strip() == '':
            joined[-1] = (joined[-1][0], end, joined[-1][2] + data)
        else:
            joined.append((start, end, data))
    for start, _, data in joined:
        yield data.decode('utf-8', errors='replace'), source[max(0, start - 40):start]


# ------------------------------------------------------------------- sources
def table_texts():
    out = []
    for line in open(TABLE, encoding='utf-8'):
        m = re.match(r'\s*QV_STRING\(\s*(\d+)\s*,\s*"((?:[^"\\]|\\.)*)"\s*\)', line)
        if m:
            out.append((m.group(1), c_unescape(m.group(2)).decode('cp1252')))
    return out


def not_texts():
    out = set()
    if os.path.exists(NOT_TEXTS):
        for line in open(NOT_TEXTS, encoding='utf-8'):
            line = line.rstrip('\n')
            if line and not line.startswith('#'):
                out.add(c_unescape(line).decode('utf-8'))
    return out


SQL = re.compile(r'^\s*(SELECT|ORDER BY|AND|WHERE|INSERT|UPDATE|DELETE)\b')
IDENTIFIER = re.compile(r'^[A-Za-z_][A-Za-z0-9_.]*$')


def is_text(text, before, excluded):
    if text in excluded or not re.search('[A-Za-z]', PRINTF.sub('', text)):
        return False
    if SQL.match(text) or text.endswith('\n') or '\ufffd' in text:  # queries, trace lines, CP1252 bytes
        return False
    if re.search(r'\b(Trace|objectName|setObjectName|GetFieldString|SetFieldString|property|setProperty)\s*\(\s*(QStringLiteral\(\s*)?$',
                 before):
        return False
    if IDENTIFIER.match(text) and (re.search('[a-z][A-Z]', text) or '_' in text or re.search(r'\w\.\w', text)):
        return False  # a key or a field name
    if re.match(r'^\*?\.\w+$', text):  # an extension
        return False
    return True


def menu_items(text):
    """A menu path ("&File/&New Log...\\tCtrl+N") gives its menus and its item."""
    parts = text.split('/')
    parts[-1] = parts[-1].split('\t')[0]
    return [p for p in parts if p and p != '-']


def ui_texts():
    excluded = not_texts()
    found = {}
    for d, dirs, files in os.walk(TOP):
        rel = os.path.relpath(d, TOP)
        if rel == '.':
            dirs[:] = [x for x in dirs if x not in SKIP_DIRS and not x.startswith('build')]
        for f in sorted(files):
            if not f.endswith(('.cpp', '.h')):
                continue
            path = os.path.join(d, f)
            source = open(path, encoding='utf-8', errors='replace').read()
            if not WIDGET_INCLUDE.search(source):
                continue
            for text, before in literals(source):
                texts = menu_items(text) if text.startswith('&') and '/' in text else [text]
                for t in texts:
                    if is_text(t, before, excluded):
                        found.setdefault(t, os.path.relpath(path, TOP))
    return found


def extract():
    """[(context, id or '', source)] in catalogue order."""
    out = [('strings', i, t) for i, t in table_texts()]
    out += [('ui', '', t) for t in sorted(ui_texts())]
    return out


# ----------------------------------------------------------------- catalogue
def read_catalogue():
    """{(context, id, source): (translation, finished)}"""
    out = {}
    if not os.path.exists(CATALOGUE):
        return out
    root = ET.parse(CATALOGUE).getroot()
    for ctx in root.findall('context'):
        name = ctx.findtext('name')
        for msg in ctx.findall('message'):
            tr = msg.find('translation')
            finished = tr is not None and tr.get('type') not in ('unfinished', 'vanished', 'obsolete')
            key = (name, msg.findtext('comment') or '', msg.findtext('source') or '')
            out[key] = ((tr.text or '') if tr is not None else '', finished)
    return out


def xml(text):
    return html.escape(text, quote=False)


def write_catalogue(entries, known):
    lines = ['<?xml version="1.0" encoding="utf-8"?>', '<!DOCTYPE TS>',
             '<TS version="2.1" language="ja_JP" sourcelanguage="en_GB">']
    for context in ('strings', 'ui'):
        lines += ['<context>', '    <name>%s</name>' % context]
        for ctx, ident, source in entries:
            if ctx != context:
                continue
            translation, finished = known.get((ctx, ident, source), ('', False))
            lines.append('    <message>')
            lines.append('        <source>%s</source>' % xml(source))
            if ident:
                lines.append('        <comment>%s</comment>' % ident)
            state = '' if finished and translation else ' type="unfinished"'
            lines.append('        <translation%s>%s</translation>' % (state, xml(translation)))
            lines.append('    </message>')
        lines.append('</context>')
    lines.append('</TS>')
    os.makedirs(os.path.dirname(CATALOGUE), exist_ok=True)
    with open(CATALOGUE, 'w', encoding='utf-8', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


# --------------------------------------------------------------------- check
PRINTF = re.compile(r'%(?:%|[-+ #0]*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|L|z|j|t)?[diouxXeEfgGcsp]|\d+)')


def problems(source, translation, context):
    if not translation:
        return 'no translation'
    if [p for p in PRINTF.findall(source) if not p[1:].isdigit()] != \
            [p for p in PRINTF.findall(translation) if not p[1:].isdigit()]:
        return 'printf placeholders differ'
    if sorted(p for p in PRINTF.findall(source) if p[1:].isdigit()) != \
            sorted(p for p in PRINTF.findall(translation) if p[1:].isdigit()):
        return 'numbered placeholders differ'
    for mark, name in (('\t', 'tab'), ('|', "'|'")):
        if source.count(mark) != translation.count(mark):
            return name + ' count differs'
    if context == 'strings' and source.count('\n') != translation.count('\n'):
        return 'line break count differs'
    return None


def main(argv):
    command = argv[1] if len(argv) > 1 else 'check'
    entries = extract()
    known = read_catalogue()
    if command == 'update':
        write_catalogue(entries, known)
        todo = [e for e in entries if not known.get(e, ('', False))[1]]
        print('%d texts, %d without a translation' % (len(entries), len(todo)))
        for ctx, ident, source in todo:
            print('  %s %s "%s"' % (ctx, ident, c_escape(source)))
        return 0
    if command == 'todo':
        out = open(argv[2], 'w', encoding='utf-8') if len(argv) > 2 else sys.stdout
        for ctx, ident, source in entries:
            if not known.get((ctx, ident, source), ('', False))[1]:
                out.write('%s\t%s\t%s\t\n' % (ctx, ident, c_escape(source)))
        return 0
    if command == 'import':
        for line in open(argv[2], encoding='utf-8'):
            line = line.rstrip('\n')
            if not line or line.startswith('#'):
                continue
            ctx, ident, source, translation = line.split('\t')
            key = (ctx, ident, c_unescape(source).decode('utf-8'))
            if translation:
                known[key] = (c_unescape(translation).decode('utf-8'), True)
        write_catalogue(entries, known)
        return 0
    if command == 'check':
        failures = []
        for ctx, ident, source in entries:
            translation, finished = known.get((ctx, ident, source), ('', False))
            why = problems(source, translation if finished else '', ctx)
            if why:
                failures.append('%s %s "%s": %s' % (ctx, ident, c_escape(source), why))
        for f in failures:
            print(f)
        if failures:
            print('%d of %d texts fail; run scripts/i18n.py update and translate them in %s'
                  % (len(failures), len(entries), os.path.relpath(CATALOGUE, TOP)))
            return 1
        print('%d texts, all translated' % len(entries))
        return 0
    print(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
