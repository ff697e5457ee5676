#!/usr/bin/env python3
"""Microsoft-decorated names for every declaration of include/utils.h.

clang dumps the header's AST twice, once for the MSVC target and once for
mingw; the two dumps are paired by declaration (source offset) to give each
export its Visual C++ name beside the GCC name the DLL already has.

Outputs (any of them):
  --def FILE         linker .def for ld: "MSVCNAME" = internal [DATA]
  --import-def FILE  .def for llvm-dlltool with the MSVC names only
  --table FILE       MSVCNAME GCCNAME TARGET, one declaration a line

A function whose return value Visual C++ passes through a hidden pointer
while GCC returns it in registers binds to an adapter, utils_msvc_NAME,
instead of the GCC function (see surface/msvc_abi.cpp).
"""
import argparse
import json
import subprocess
import sys

TRIPLES = {
    "i686": ("i686-pc-windows-msvc", "i686-w64-windows-gnu"),
    "x86_64": ("x86_64-pc-windows-msvc", "x86_64-w64-windows-gnu"),
}


def dump(clang, triple, header):
    out = subprocess.run(
        [clang, "-x", "c++", "-std=c++17", "--target=" + triple, "-fsyntax-only",
         "-Xclang", "-ast-dump=json", header],
        check=True, stdout=subprocess.PIPE).stdout
    return json.loads(out)


def exported(ast):
    """(offset, node) of every declaration the header marks UTILS_API."""
    for node in ast.get("inner", []):
        if node.get("kind") not in ("FunctionDecl", "VarDecl"):
            continue
        if any(a.get("kind") == "DLLImportAttr" for a in node.get("inner", [])):
            yield node["loc"]["offset"], node


def records(ast):
    return {n["name"]: n["definitionData"] for n in ast.get("inner", [])
            if n.get("kind") == "CXXRecordDecl" and "definitionData" in n and "name" in n}


def msvc_returns_indirect(data):
    # Visual C++ returns a class in registers only if it is an aggregate in the
    # C++03 sense; any constructor of the user's sends it through memory.
    return (data.get("hasUserDeclaredConstructor") or data.get("bases")
            or data.get("isPolymorphic") or not data.get("dtor", {}).get("trivial")
            or not data.get("copyAssign", {}).get("trivial"))


def plain(qual):
    return qual.replace("const ", "").replace("class ", "").replace("struct ", "").strip()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--arch", choices=sorted(TRIPLES), required=True)
    ap.add_argument("--header", required=True)
    ap.add_argument("--clang", default="clang++")
    ap.add_argument("--def", dest="deffile")
    ap.add_argument("--import-def", nargs=2, metavar=("DLLNAME", "FILE"))
    ap.add_argument("--table")
    args = ap.parse_args()

    msvc_ast, gnu_ast = (dump(args.clang, t, args.header) for t in TRIPLES[args.arch])
    gnu = dict(exported(gnu_ast))
    recs = records(msvc_ast)
    rows, errors, adapters = [], [], set()
    for off, node in exported(msvc_ast):
        if off not in gnu:
            errors.append("no mingw declaration for " + node["name"])
            continue
        gname = gnu[off]["mangledName"]
        if args.arch == "i686":
            # i686 symbols carry a leading underscore that ld adds back itself.
            gname = gname[1:]
        target, data = gname, node["kind"] == "VarDecl"
        if not data:
            ret = plain(node["type"]["qualType"].split("(", 1)[0])
            if ret in recs:
                if not msvc_returns_indirect(recs[ret]):
                    errors.append(node["name"] + " returns an aggregate: work out its convention")
                elif node["name"] in adapters:
                    errors.append("two overloads of " + node["name"] + " need adapters")
                else:
                    adapters.add(node["name"])
                    target = "utils_msvc_" + node["name"]
            for p in node.get("inner", []):
                if p.get("kind") != "ParmVarDecl":
                    continue
                t = plain(p["type"]["qualType"])
                # By-value classes match only while both compilers may copy
                # them bit for bit.
                if t in recs and not recs[t].get("canPassInRegisters"):
                    errors.append(node["name"] + " takes " + t + " by value, not trivially copyable")
        rows.append((node["mangledName"], gname, target, data))
    if len(rows) != len(gnu):
        errors.append("%d MSVC declarations, %d mingw ones" % (len(rows), len(gnu)))
    if errors:
        sys.exit("msvc_exports: " + "\n  ".join(errors))

    if args.deffile:
        with open(args.deffile, "w") as f:
            f.write("; Visual C++ names of %s, generated\nEXPORTS\n" % args.header)
            for m, _, t, d in rows:
                f.write('    "%s" = %s%s\n' % (m, t, " DATA" if d else ""))
    if args.import_def:
        dll, path = args.import_def
        with open(path, "w") as f:
            f.write("LIBRARY %s\nEXPORTS\n" % dll)
            for m, _, _, d in rows:
                f.write('    "%s"%s\n' % (m, " DATA" if d else ""))
    if args.table:
        with open(args.table, "w") as f:
            for m, g, t, _ in rows:
                f.write("%s %s %s\n" % (m, g, t))


if __name__ == "__main__":
    main()
