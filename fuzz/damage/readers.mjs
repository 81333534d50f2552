// The three readings of one file: ours (the built mdbtomysql), mdb-reader's and mdbtools'. Each
// gives {tables: {name: {columns: [...], rows: [[...]]} or {error}}} or {error} for the file.
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";

const kDumpScript = fileURLToPath(new URL("./mdb_reader_dump.mjs", import.meta.url));

// A sanitizer's report must not pass for the check's "rejects" (exit status 1).
const kSanitizerExit = "exitcode=86";
const env = { ...process.env,
              ASAN_OPTIONS: [process.env.ASAN_OPTIONS, kSanitizerExit].filter(Boolean).join(":"),
              UBSAN_OPTIONS: [process.env.UBSAN_OPTIONS, kSanitizerExit].filter(Boolean).join(":") };

// Runs a program without a shell; {status, signal, stdout, stderr, timedOut}.
export function Run(program, args, seconds) {
  const r = spawnSync(program, args, { encoding: "utf8", timeout: seconds * 1000, env,
                                       maxBuffer: 1 << 28, killSignal: "SIGKILL" });
  return { status: r.status, signal: r.signal, stdout: r.stdout ?? "", stderr: r.stderr ?? "",
           timedOut: r.error?.code === "ETIMEDOUT" || (r.signal === "SIGKILL" && r.status === null) };
}

function Failure(r) {
  if (r.timedOut) return "did not finish";
  if (r.signal) return `died of ${r.signal}`;
  return (r.stderr || r.stdout).trim().split("\n").slice(-1)[0] || `exit status ${r.status}`;
}

// Our names and values escape \\, tab, newline and carriage return.
function Unescape(text) {
  return text.replace(/\\([\\tnr])/g, (_, c) => ({ "\\": "\\", t: "\t", n: "\n", r: "\r" })[c]);
}

function ParseExport(text) {
  const lines = text.split("\n");
  if (lines[lines.length - 1] === "") lines.pop();
  const columns = (lines.shift() ?? "").split("\t");
  return { columns, rows: lines.map((l) => l.split("\t")) };
}

// `mdbtomysql check`: "accepts", "rejects" (exit 1: damage found; 3: the file does not open as
// a Jet 4 database) or "fails" (a crash or a hang: a fault of ours).
export function OurCheck(bin, file, password, seconds) {
  const r = Run(bin, ["check", file, "--password", password], seconds);
  const verdict = r.status === 0 ? "accepts" : r.status === 1 || r.status === 3 ? "rejects" : "fails";
  const first = (r.stdout.match(/^error: .*$/m) ?? [Failure(r)])[0];
  return { verdict, first, detail: verdict === "fails" ? Failure(r) : "" };
}

// `mdbtomysql tables`: [{name, kind, columns: [{name, type}]}].
function OurTableList(bin, file, password, seconds) {
  const r = Run(bin, ["tables", file, "--password", password], seconds);
  if (r.status !== 0) return { error: Failure(r) };
  const tables = [];
  for (const line of r.stdout.split("\n")) {
    const f = line.split("\t");
    if (f[0] !== "" && f.length >= 2) tables.push({ name: Unescape(f[0]), kind: f[1], columns: [] });
    else if (f[1] === "column" && tables.length) {
      tables[tables.length - 1].columns.push({ name: Unescape(f[2]), type: f[3] });
    }
  }
  return { tables };
}

export function OurReading(bin, file, password, seconds) {
  const list = OurTableList(bin, file, password, seconds);
  if (list.error) return { error: "tables: " + list.error };
  const tables = {};
  for (const t of list.tables) {
    if (t.kind !== "local" && t.kind !== "system") continue;
    const r = Run(bin, ["export", file, t.name, "--password", password], seconds);
    if (r.status !== 0) {
      tables[t.name] = { system: t.kind === "system", error: "export: " + Failure(r) };
      continue;
    }
    const table = ParseExport(r.stdout);
    tables[t.name] = { system: t.kind === "system", types: t.columns, rows: table.rows,
                       columns: table.columns.map(Unescape) };
  }
  return { tables };
}

export function MdbReaderReading(dir, file, password, seconds) {
  const r = Run(process.execPath, [kDumpScript, dir, file, password], seconds);
  if (r.status !== 0) return { error: Failure(r) };
  try {
    return JSON.parse(r.stdout);
  } catch (e) {
    return { error: "no readable output: " + e.message };
  }
}

// mdbtools lists and exports the user tables only.
export function MdbToolsReading(file, seconds) {
  const list = Run("mdb-tables", ["-1", file], seconds);
  if (list.status !== 0) return { error: "mdb-tables: " + Failure(list) };
  const tables = {};
  for (const name of list.stdout.split("\n")) {
    if (name === "") continue;
    const r = Run("mdb-export", ["-d", "\\t", "-Q", "-e", "-0", "\\N", "-b", "hex",
                                 "-D", "%Y-%m-%d %H:%M:%S", "-T", "%Y-%m-%d %H:%M:%S", file, name],
                  seconds);
    tables[name] = r.status === 0 ? ParseExport(r.stdout) : { error: "mdb-export: " + Failure(r) };
  }
  return { tables };
}

export function HaveMdbTools() {
  return Run("mdb-export", ["--version"], 10).status === 0;
}
