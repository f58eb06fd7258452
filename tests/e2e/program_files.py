"""The files Lexomat keeps, read and written here on their own terms:

- the settings file ~/.config/Tolv/LX.ini (QSettings INI): the root key's
  values in [General], subkeys as groups; texts stored as "sz:<text>",
  integers as "dword:<8 hex digits>";
- dictionary files dict/tom_<n>.wrd: FF FE, then UTF-16LE lines each ended by
  CR LF; a line's stored form takes every UTF-16 code unit as its UTF-8 bytes
  and shows every byte as its Windows-1251 character."""

import codecs

ROOT_VALUES = (
    "DEFAULT_DICT_DIR", "DEFAULT_DICT", "FIRST_LANCH", "DEFAULT_MODE", "DEFAULT_SPEED", "DEFAULT_BGCOLOR",
    "DEFAULT_ACOLOR", "DEFAULT_PCOLOR", "TIMER", "FONT_NAME", "FONT_SIZE", "START_FIELDS", "START_FIELDS1",
    "SPEAK_WORDS", "SUGGEST_MEANINGS",
)

# Windows-1251 byte <-> character. Byte 0x98 has no character in the code
# page; Windows maps it to U+0098, and so does the stored form.
_BYTE_TO_CHAR = []
for _byte in range(256):
    try:
        _BYTE_TO_CHAR.append(bytes([_byte]).decode("cp1251"))
    except UnicodeDecodeError:
        _BYTE_TO_CHAR.append(chr(_byte))
_CHAR_TO_BYTE = {char: byte for byte, char in enumerate(_BYTE_TO_CHAR)}


# -- settings -----------------------------------------------------------------

def read_settings(path):
    """{group: {name: raw value}}; the root key's values are under ""."""
    groups = {}
    group = None
    with open(path, encoding="utf-8") as file:
        for raw in file:
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("[") and line.endswith("]"):
                name = line[1:-1]
                group = "" if name == "General" else name
                groups.setdefault(group, {})
                continue
            if "=" not in line or group is None:
                continue
            name, value = (part.strip() for part in line.split("=", 1))
            if len(value) >= 2 and value[0] == value[-1] == '"':
                value = value[1:-1]
            groups[group][name] = value
    return groups


def write_settings(path, root_values, groups=None):
    """Writes a settings file as a user or an older run would leave it."""
    lines = ["[General]"]
    lines += [f"{name}={value}" for name, value in root_values.items()]
    for group, values in (groups or {}).items():
        lines += ["", f"[{group}]"] + [f"{name}={value}" for name, value in values.items()]
    with open(path, "w", encoding="utf-8") as file:
        file.write("\n".join(lines) + "\n")


def dword(value):
    return "dword:%08x" % (value & 0xFFFFFFFF)


def sz(text):
    return "sz:" + text


def integer_of(raw):
    if not raw.startswith("dword:"):
        raise ValueError(f"not an integer value: {raw!r}")
    value = int(raw[len("dword:"):], 16)
    return value - (1 << 32) if value >= 1 << 31 else value


def text_of(raw):
    if not raw.startswith("sz:"):
        raise ValueError(f"not a text value: {raw!r}")
    return raw[len("sz:"):]


# -- dictionaries ---------------------------------------------------------------

def _utf8_of_unit(unit):
    if unit < 0x80:
        return bytes([unit])
    if unit < 0x800:
        return bytes([0xC0 | unit >> 6, 0x80 | unit & 0x3F])
    return bytes([0xE0 | unit >> 12, 0x80 | (unit >> 6) & 0x3F, 0x80 | unit & 0x3F])


def stored_form(line):
    units = codecs.encode(line, "utf-16-le")
    out = []
    for i in range(0, len(units), 2):
        unit = units[i] | units[i + 1] << 8
        out.extend(_BYTE_TO_CHAR[b] for b in _utf8_of_unit(unit))
    return "".join(out)


def encode_dictionary(lines):
    text = "".join(stored_form(line) + "\r\n" for line in lines)
    return b"\xff\xfe" + text.encode("utf-16-le")


def decode_dictionary(data):
    """The lines of a dictionary file as the program must have written it;
    raises ValueError naming what is wrong with the layout."""
    if not data.startswith(b"\xff\xfe"):
        raise ValueError(f"no UTF-16LE byte order mark: starts with {data[:4]!r}")
    if len(data) % 2:
        raise ValueError("odd number of bytes after the byte order mark")
    text = data[2:].decode("utf-16-le")
    if text and not text.endswith("\r\n"):
        raise ValueError(f"last line not ended by CR LF: ...{text[-20:]!r}")
    stored_lines = text.split("\r\n")[:-1] if text else []
    lines = []
    for stored in stored_lines:
        if "\r" in stored or "\n" in stored:
            raise ValueError(f"stray line break inside {stored!r}")
        try:
            raw = bytes(_CHAR_TO_BYTE[char] for char in stored)
        except KeyError as error:
            raise ValueError(f"character outside Windows-1251 in stored line {stored!r}: {error}") from None
        lines.append(raw.decode("utf-8", errors="surrogatepass"))
    return lines
