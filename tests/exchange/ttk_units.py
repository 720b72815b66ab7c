# A second reader of our XLIFF and PO files: translate-toolkit's storage
# classes. "dump FILE" prints one line per unit: key, source and target, each
# with \\ \t \n \r escaped, tab-separated (the key is the PO context or the
# XLIFF resname with its file's category). "edit FILE OUT KEY TEXT ..." sets
# the targets of those units and saves the store as translate-toolkit writes it.
import sys

from translate.storage import factory


def escape(text):
    return (text or "").replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def units(store):
    for unit in store.units:
        if unit.isheader():
            continue
        element = getattr(unit, "xmlelement", None)
        if element is None:
            yield unit.getcontext(), unit
            continue
        # XLIFF: the unit's <file> says which section the resname belongs to.
        file = element.getparent()
        while file is not None and not file.tag.endswith("}file"):
            file = file.getparent()
        category = file.get("category") if file is not None else ""
        prefix = {"resource-strings": "@", "version-info": "#"}.get(category, (file.get("original") or "") + ":")
        yield prefix + element.get("resname"), unit


def main():
    store = factory.getobject(sys.argv[2])
    if sys.argv[1] == "dump":
        for key, unit in units(store):
            print("\t".join(escape(t) for t in (key, unit.source, unit.target)))
        return
    wanted = dict(zip(sys.argv[4::2], sys.argv[5::2]))
    for key, unit in units(store):
        if key in wanted:
            unit.target = wanted.pop(key)
    if wanted:
        sys.exit("no unit " + ", ".join(wanted))
    store.savefile(sys.argv[3])


main()
