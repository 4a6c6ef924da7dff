#!/usr/bin/env node
// The test oracle: an independent reader (mdb-reader, pinned in package-lock.json) that prints
// a database the way `fendrel-db` prints it, and compares fendrel-db's output with its own.
//
//   node oracle.mjs dump [--password PW] FILE tables          user tables, one name a line
//   node oracle.mjs dump [--password PW] FILE columns TABLE   NAME<TAB>TYPE<TAB>SIZE
//   node oracle.mjs dump [--password PW] FILE rows TABLE      JSON Lines, fendrel-db's value forms
//   node oracle.mjs compare [--password PW] [--any-order] FILE TABLE OURS
//                                                             compare OURS (fendrel-db rows output,
//                                                             a file or - for stdin) cell for cell;
//                                                             with --any-order, as sets of rows
//
// Row order: fendrel-db and mdbtools read rows in the order of their header slots, following a
// moved row's pointer; mdb-reader skips the pointer slot and reads the moved copy where it now
// lives. After rows have moved the orders differ, and --any-order compares the rows whatever
// their order.
//
// Value forms (those of `fendrel-db rows`): null; Yes/No true/false; Byte, Integer, Long and
// Large Number as integers; Single and Double as JSON numbers; Currency as a string with four
// decimals; Decimal as a string with the column's scale; Date/Time as "YYYY-MM-DD HH:MM:SS"
// (nearest second); Extended Date/Time as its stored text; Text and Memo as strings; Replication
// ID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; OLE and binary as "base64:..."; complex columns
// as their integer id.
//
// Type names of `columns`: Yes/No, Byte, Integer, Long, Large Number, Currency, Single, Double,
// Date/Time, Extended Date/Time, Text, Memo, OLE, Binary, Replication ID, Decimal, Complex.
// SIZE is the maximum number of characters for Text, 0 for Memo, OLE and Complex, and the stored
// size in bytes otherwise.
//
// What mdb-reader cannot tell, the comparison leaves out and says so on stderr: complex columns
// (mdb-reader gives attachments, not the stored id) and the kinds of catalog objects.
//
// Exit status: 0 equal, 1 a difference or a read error, 2 a usage error.

import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

process.env.TZ = "UTC";
process.stdout.on("error", (e) => process.exit(e.code === "EPIPE" ? 0 : 1));

const TYPE_NAMES = {
  boolean: "Yes/No",
  byte: "Byte",
  integer: "Integer",
  long: "Long",
  bigint: "Large Number",
  currency: "Currency",
  float: "Single",
  double: "Double",
  datetime: "Date/Time",
  datetimextended: "Extended Date/Time",
  text: "Text",
  memo: "Memo",
  ole: "OLE",
  binary: "Binary",
  repid: "Replication ID",
  numeric: "Decimal",
  complex: "Complex",
};

function usage(message) {
  process.stderr.write(`oracle: ${message}\n`);
  process.exit(2);
}

function open(file, password) {
  const buffer = readFileSync(file);
  return new MDBReader(buffer, password === undefined ? {} : { password });
}

// Text columns store two bytes a character from Jet 4 on; Jet 3 stores one.
function isJet3(file) {
  const head = readFileSync(file).subarray(0, 0x15);
  return head.length > 0x14 && head[0x14] === 0;
}

function columnSize(column, jet3) {
  switch (column.type) {
    case "text":
      return jet3 ? column.size : column.size / 2;
    case "memo":
    case "ole":
    case "complex":
      return 0;
    default:
      return column.size;
  }
}

// The shortest decimal text that reads back to the same 32-bit float.
function shortestSingle(v) {
  if (!Number.isFinite(v)) return null;
  for (let p = 1; p <= 9; ++p) {
    const s = Number(v.toPrecision(p));
    if (Math.fround(s) === v) return s;
  }
  return v;
}

function fixedDecimals(text, scale) {
  let s = String(text);
  let negative = false;
  if (s.startsWith("-")) {
    negative = true;
    s = s.slice(1);
  }
  let [whole, frac = ""] = s.split(".");
  whole = whole.replace(/^0+(?=\d)/, "") || "0";
  frac = (frac + "0".repeat(scale)).slice(0, scale);
  const body = scale > 0 ? `${whole}.${frac}` : whole;
  const zero = /^[0.]*$/.test(body);
  return (negative && !zero ? "-" : "") + body;
}

function pad(n, w = 2) {
  return String(n).padStart(w, "0");
}

function dateText(date) {
  // mdb-reader keeps milliseconds; round to the nearest second as fendrel-db does.
  const d = new Date(Math.round(date.getTime() / 1000) * 1000);
  return (
    `${pad(d.getUTCFullYear(), 4)}-${pad(d.getUTCMonth() + 1)}-${pad(d.getUTCDate())} ` +
    `${pad(d.getUTCHours())}:${pad(d.getUTCMinutes())}:${pad(d.getUTCSeconds())}`
  );
}

function valueForm(column, v) {
  if (v === null || v === undefined) return null;
  switch (column.type) {
    case "boolean":
      return Boolean(v);
    case "byte":
    case "integer":
    case "long":
      return v;
    case "bigint":
      return BigInt(v); // printed without quotes below
    case "float":
      return shortestSingle(v);
    case "double":
      return Number.isFinite(v) ? v : null;
    case "currency":
      return fixedDecimals(v, 4);
    case "numeric":
      return fixedDecimals(v, column.scale ?? 0);
    case "datetime":
      return dateText(v);
    case "datetimextended":
      return v; // mdb-reader's own form; compare() converts ours to it
    case "text":
    case "memo":
      return v;
    case "repid":
      return `{${String(v).toUpperCase()}}`;
    case "binary":
    case "ole":
      return `base64:${Buffer.from(v).toString("base64")}`;
    case "complex":
      return undefined; // not comparable, see the header
    default:
      return v;
  }
}

function toJson(value) {
  return JSON.stringify(value, (_k, x) => (typeof x === "bigint" ? `@@BIGINT${x}@@` : x)).replace(
    /"@@BIGINT(-?\d+)@@"/g,
    "$1",
  );
}

function oracleRows(reader, tableName) {
  const table = reader.getTable(tableName);
  const columns = table.getColumns();
  const readable = columns.filter((c) => c.type !== "complex");
  const data = table.getData({ columns: readable.map((c) => c.name) });
  return {
    columns,
    skipped: columns.filter((c) => c.type === "complex").map((c) => c.name),
    rows: data.map((row) => {
      const out = {};
      for (const c of readable) out[c.name] = valueForm(c, row[c.name]);
      return out;
    }),
  };
}

// fendrel-db prints Extended Date/Time as its stored text, "<days>:<seconds><7 digits>:7";
// mdb-reader formats it as "YYYY.MM.DD HH:MM:SS.nnnnnnnnn". Bring ours to mdb-reader's form.
function extendedFromStored(text) {
  const m = /^(\d{19}):(\d{12})(\d{7}):\d+$/.exec(String(text).replace(/\0+$/, ""));
  if (!m) return `unparsable:${text}`;
  const date = new Date(0);
  date.setUTCFullYear(1);
  date.setUTCDate(date.getUTCDate() + Number(BigInt(m[1])));
  date.setUTCSeconds(date.getUTCSeconds() + Number(BigInt(m[2])));
  const nanos = (BigInt(m[3]) * 100n).toString().padStart(9, "0");
  return (
    `${pad(date.getUTCFullYear(), 4)}.${pad(date.getUTCMonth() + 1)}.${pad(date.getUTCDate())} ` +
    `${pad(date.getUTCHours())}:${pad(date.getUTCMinutes())}:${pad(date.getUTCSeconds())}.${nanos}`
  );
}

function sameCell(column, ours, theirs) {
  if (theirs === null || ours === null) return theirs === ours;
  switch (column.type) {
    case "float":
      return typeof ours === "number" && Math.fround(ours) === Math.fround(theirs);
    case "double":
      return typeof ours === "number" && ours === theirs;
    case "bigint":
      return String(ours) === String(theirs);
    case "datetimextended":
      return extendedFromStored(ours) === theirs;
    default:
      return JSON.stringify(ours) === JSON.stringify(theirs);
  }
}

// Large Number values do not fit a double: keep their digits when parsing our JSON.
function parseOurs(line) {
  return JSON.parse(line.replace(/([:,\[]\s*)(-?\d{16,})(?=\s*[,}\]])/g, '$1"$2"'));
}

// A row reduced to one text in which equal cells (by sameCell's rules) give equal texts.
function rowKey(columns, row, ours) {
  return JSON.stringify(
    columns
      .filter((c) => c.type !== "complex")
      .map((c) => {
        const v = row[c.name];
        if (v === null || v === undefined) return null;
        switch (c.type) {
          case "float":
            return String(Math.fround(Number(v)));
          case "double":
          case "bigint":
            return String(v);
          case "datetimextended":
            return ours ? extendedFromStored(v) : v;
          default:
            return JSON.stringify(v);
        }
      }),
  );
}

function compareAnyOrder(columns, ours, rows) {
  const count = new Map();
  for (const r of rows) {
    const k = rowKey(columns, r, false);
    count.set(k, (count.get(k) ?? 0) + 1);
  }
  const problems = [];
  for (const r of ours) {
    const k = rowKey(columns, r, true);
    const n = count.get(k) ?? 0;
    if (n === 0) problems.push(`ours only: ${k}`);
    else count.set(k, n - 1);
  }
  for (const [k, n] of count) for (let i = 0; i < n; ++i) problems.push(`oracle only: ${k}`);
  return problems;
}

function compare(reader, file, tableName, oursText, anyOrder) {
  const { columns, skipped, rows } = oracleRows(reader, tableName);
  if (skipped.length) {
    process.stderr.write(`oracle: ${file} ${tableName}: complex columns not compared: ${skipped.join(", ")}\n`);
  }
  const ours = oursText.split("\n").filter((l) => l.length > 0).map(parseOurs);
  if (anyOrder) {
    const problems = compareAnyOrder(columns, ours, rows).slice(0, 20);
    for (const p of problems) process.stdout.write(`${p}\n`);
    return problems.length === 0;
  }
  const problems = [];
  if (ours.length !== rows.length) problems.push(`row count: ours ${ours.length}, oracle ${rows.length}`);
  const n = Math.min(ours.length, rows.length);
  for (let i = 0; i < n && problems.length < 20; ++i) {
    const ourKeys = Object.keys(ours[i]);
    const names = columns.map((c) => c.name);
    if (ourKeys.join("\u0001") !== names.join("\u0001")) {
      problems.push(`row ${i}: keys ${JSON.stringify(ourKeys)}, oracle ${JSON.stringify(names)}`);
      continue;
    }
    for (const c of columns) {
      if (c.type === "complex") continue;
      if (!sameCell(c, ours[i][c.name], rows[i][c.name])) {
        problems.push(
          `row ${i} column ${c.name} (${c.type}): ours ${toJson(ours[i][c.name])}, oracle ${toJson(rows[i][c.name])}`,
        );
      }
    }
  }
  for (const p of problems) process.stdout.write(`${p}\n`);
  return problems.length === 0;
}

function main(argv) {
  const [verb, ...rest] = argv;
  let password;
  let anyOrder = false;
  for (;;) {
    if (rest[0] === "--password") {
      password = rest[1];
      rest.splice(0, 2);
    } else if (rest[0] === "--any-order") {
      anyOrder = true;
      rest.splice(0, 1);
    } else break;
  }
  const [file, what, table] = rest;
  if (!file) usage("no file given");
  let reader;
  try {
    reader = open(file, password);
  } catch (e) {
    process.stderr.write(`oracle: ${file}: ${e.message}\n`);
    return 1;
  }
  try {
    if (verb === "dump") {
      if (what === "tables") {
        for (const name of reader.getTableNames()) process.stdout.write(`${name}\n`);
      } else if (what === "columns" && table) {
        const jet3 = isJet3(file);
        for (const c of reader.getTable(table).getColumns()) {
          process.stdout.write(`${c.name}\t${TYPE_NAMES[c.type] ?? c.type}\t${columnSize(c, jet3)}\n`);
        }
      } else if (what === "rows" && table) {
        for (const row of oracleRows(reader, table).rows) process.stdout.write(`${toJson(row)}\n`);
      } else {
        usage("dump needs tables, columns TABLE or rows TABLE");
      }
      return 0;
    }
    if (verb === "compare") {
      // compare FILE TABLE OURS: here "what" is the table and "table" the file with our rows.
      if (!what || !table) usage("compare needs FILE TABLE OURS");
      const text = readFileSync(table === "-" ? 0 : table, "utf8");
      return compare(reader, file, what, text, anyOrder) ? 0 : 1;
    }
    usage(`unknown verb ${verb ?? ""}`);
  } catch (e) {
    process.stderr.write(`oracle: ${file}: ${e.message}\n`);
    return 1;
  }
  return 2;
}

process.exitCode = main(process.argv.slice(2));
