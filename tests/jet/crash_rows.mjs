#!/usr/bin/env node
// The rows of one table in many files, as mdb-reader reads them, in one process (the crash harness
// checks hundreds of files, and starting node for each would cost more than the reading).
//
//   node crash_rows.mjs ORACLE_DIR TABLE FILE...
//
// Prints one JSON line per file: {"file": F, "rows": [{column: value}, ...]} or {"file": F,
// "error": "..."}. Values keep mdb-reader's own kinds; dates become ISO text, bytes base64 and large
// numbers text, so that two readings of the same cell compare equal.
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { pathToFileURL } from "node:url";

const [oracleDir, table, ...files] = process.argv.slice(2);
if (!oracleDir || !table) {
  process.stderr.write("usage: crash_rows.mjs ORACLE_DIR TABLE FILE...\n");
  process.exit(2);
}
const require = createRequire(path.resolve(oracleDir, "package.json"));
const { default: MDBReader } = await import(pathToFileURL(require.resolve("mdb-reader")).href);

function plain(v) {
  if (v instanceof Date) return v.toISOString();
  if (Buffer.isBuffer(v) || v instanceof Uint8Array) return "base64:" + Buffer.from(v).toString("base64");
  if (typeof v === "bigint") return v.toString();
  return v === undefined ? null : v;
}

for (const file of files) {
  let line;
  try {
    const reader = new MDBReader(readFileSync(file));
    const rows = reader
      .getTable(table)
      .getData()
      .map((row) => Object.fromEntries(Object.entries(row).map(([k, v]) => [k, plain(v)])));
    line = JSON.stringify({ file, rows });
  } catch (e) {
    line = JSON.stringify({ file, error: String(e && e.message ? e.message : e) });
  }
  process.stdout.write(line + "\n");
}
