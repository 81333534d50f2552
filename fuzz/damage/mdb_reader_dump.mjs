// Reads every table of a file with mdb-reader and prints it as JSON, each value written the way
// `mdbtomysql export` writes it, so that the two readings compare line by line:
//   node mdb_reader_dump.mjs MDB_READER_DIR FILE PASSWORD
// prints {"tables": {name: {"system": bool, "columns": [...], "rows": [[...]]} or {"error": text}}}
// or {"error": text} when the file does not open. Runs as a child so that a reader caught in a
// loop by a damaged file can be stopped.
import { readFileSync } from "node:fs";
import { pathToFileURL } from "node:url";

const [dir, file, password] = process.argv.slice(2);
const { default: MDBReader } = await import(pathToFileURL(dir + "/lib/node/index.js"));

function Escape(text) {
  return text.replace(/[\\\t\n\r]/g, (c) => ({ "\\": "\\\\", "\t": "\\t", "\n": "\\n", "\r": "\\r" })[c]);
}

const kMillisecondsPerDay = 86400000;

// mdb-reader turns a Jet date into a JavaScript Date as if the stored number ran linearly; Jet
// counts days before 1899-12-30 backwards with the time of day forwards. Undo its conversion and
// apply Jet's, rounded to the second as the export does.
function JetDate(date) {
  const days = date.getTime() / kMillisecondsPerDay + 25569;
  if (!Number.isFinite(days)) return "invalid date";
  const whole = Math.trunc(days);
  let ms = Math.round((Math.abs(days - whole) * kMillisecondsPerDay) / 1000) * 1000;
  let day = whole;
  if (ms >= kMillisecondsPerDay) {
    ms -= kMillisecondsPerDay;
    day += 1;
  }
  const t = new Date((day - 25569) * kMillisecondsPerDay + ms);
  const two = (n) => String(n).padStart(2, "0");
  return `${String(t.getUTCFullYear()).padStart(4, "0")}-${two(t.getUTCMonth() + 1)}-` +
      `${two(t.getUTCDate())} ${two(t.getUTCHours())}:${two(t.getUTCMinutes())}:` +
      `${two(t.getUTCSeconds())}`;
}

function Render(value, type) {
  if (value === null || value === undefined) return "\\N";
  switch (type) {
    case "boolean":
      return value ? "1" : "0";
    case "datetime":
      return JetDate(value);
    case "binary":
    case "ole":
      return "0x" + Buffer.from(value).toString("hex").toUpperCase();
    case "repid":
      return "{" + String(value).toUpperCase() + "}";
    case "text":
    case "memo":
      // Half a surrogate pair has no UTF-8 form; it is written as U+FFFD, as the export does.
      return Escape(String(value).toWellFormed());
    default:
      return String(value);
  }
}

let reader;
try {
  reader = new MDBReader(readFileSync(file), password ? { password } : {});
} catch (e) {
  console.log(JSON.stringify({ error: String(e && e.message) }));
  process.exit(0);
}
const tables = {};
const system = new Set(reader.getTableNames({ normalTables: false, systemTables: true }));
let names = [];
try {
  names = reader.getTableNames({ normalTables: true, systemTables: true });
} catch (e) {
  console.log(JSON.stringify({ error: String(e && e.message) }));
  process.exit(0);
}
for (const name of names) {
  try {
    const table = reader.getTable(name);
    const columns = table.getColumns();
    const rows = table.getData().map((row) => columns.map((c) => Render(row[c.name], c.type)));
    tables[name] = { system: system.has(name), columns: columns.map((c) => c.name),
                     types: columns.map((c) => c.type), rows };
  } catch (e) {
    tables[name] = { system: system.has(name), error: String(e && e.message) };
  }
}
console.log(JSON.stringify({ tables }));
