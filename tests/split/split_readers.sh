# Sourced by the split's scripted checks: skips (exit 77, saying why) unless the programs are built
# and every reader (fendrel-db, mdb-export, mdb-reader through node) and python3 are there.
for tool in fendrel-split fendrel-db fendrel-make-table; do
    [ -x "${FENDREL_BIN:-}/$tool" ] || { echo "skip: $tool is not built"; exit 77; }
done
command -v python3 >/dev/null || { echo "skip: python3 is absent"; exit 77; }
command -v node >/dev/null || { echo "skip: node is absent"; exit 77; }
command -v mdb-export >/dev/null || { echo "skip: mdb-export (mdbtools) is absent"; exit 77; }
[ -d "${FENDREL_ORACLE_DIR:-}/node_modules/mdb-reader" ] || { echo "skip: mdb-reader is not installed"; exit 77; }
