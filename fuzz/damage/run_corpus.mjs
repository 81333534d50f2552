// The damage corpus: seeded damaged copies of the generated fixtures, each checked with
// `mdbtomysql check` and, when the check accepts it, read by us, by mdb-reader and by mdbtools.
// Whenever an independent reader fails on a file or reads a table differently from us, the check
// must have rejected the file; a crash or a hang of ours is a fault whatever the file.
//
//   node fuzz/damage/run_corpus.mjs --mdbtomysql BUILD/src/app/mdbtomysql
//        [--mdb-reader DIR] [--seeds 1-500] [--fixtures DIR] [--keep DIR] [--timeout SECONDS]
//        [--work DIR] [--quiet]
//
// --mdb-reader: the installed package (default $MDB_READER_DIR; scripts/test installs it into
// build-test/node/node_modules/mdb-reader). --seeds: ranges and single seeds ("1-500,812"); seed
// s damages the copy in a way of its own (kind s % 6, page kind s / 6 % 11), so any 66
// consecutive seeds cover them all. --keep: where the copies that fail the rule are kept.
// Prints one line per copy (unless --quiet), then the figures: files made, rejected, accepted,
// accepted although a reader disagrees (must be 0), crashes or hangs of ours, seconds per file.
//
// Exits 0 when no accepted file is read differently and nothing crashed, 1 otherwise, 77 when
// mdb-reader, node or mdbtools is missing (the test is skipped).
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync, copyFileSync,
         mkdirSync } from "node:fs";
import { tmpdir } from "node:os";
import { basename, join } from "node:path";
import { fileURLToPath } from "node:url";

import { Damage, Random } from "./damage.mjs";
import { HaveMdbTools, MdbReaderReading, MdbToolsReading, OurCheck, OurReading } from "./readers.mjs";
import { ReadingDifferences } from "./compare.mjs";

const kSkip = 77;
const here = fileURLToPath(new URL(".", import.meta.url));

function Options(argv) {
  const o = { seeds: "1-500", fixtures: join(here, "../../tests/fixtures"), timeout: 120,
              quiet: false, "mdb-reader": process.env.MDB_READER_DIR ?? "" };
  for (let i = 0; i < argv.length; ++i) {
    const name = argv[i].replace(/^--/, "");
    if (name === "quiet") o.quiet = true;
    else o[name] = argv[++i];
  }
  return o;
}

function Seeds(text) {
  const seeds = [];
  for (const part of text.split(",")) {
    const [from, to] = part.split("-").map(Number);
    for (let s = from; s <= (to ?? from); ++s) seeds.push(s);
  }
  return seeds;
}

function Password(file) {
  const name = basename(file);
  if (name === "other_password.mdb") return "otherpass";
  if (name.includes("with-password")) return "password";
  return "qarnivel";
}

const o = Options(process.argv.slice(2));
if (!o.mdbtomysql || !existsSync(o.mdbtomysql)) {
  console.error("run_corpus: --mdbtomysql must name the built program");
  process.exit(2);
}
if (!existsSync(join(o["mdb-reader"], "lib/node/index.js"))) {
  console.log(`run_corpus: mdb-reader not found at "${o["mdb-reader"]}"; skipped`);
  process.exit(kSkip);
}
if (!HaveMdbTools()) {
  console.log("run_corpus: mdbtools (mdb-export) not installed; skipped");
  process.exit(kSkip);
}

// The sound files, and what each reader makes of them: only what a reader reads in the sound
// file is held against it in a damaged copy.
const sources = readdirSync(o.fixtures).filter((n) => n.endsWith(".mdb") && n !== "not_a_database.mdb")
    .sort().map((n) => join(o.fixtures, n));
const baseline = new Map();
for (const file of sources) {
  const password = Password(file);
  const check = OurCheck(o.mdbtomysql, file, password, o.timeout);
  const ours = OurReading(o.mdbtomysql, file, password, o.timeout);
  const reader = MdbReaderReading(o["mdb-reader"], file, password, o.timeout);
  const tools = MdbToolsReading(file, o.timeout);
  const types = {};
  for (const [name, t] of Object.entries(ours.tables ?? {})) {
    types[name] = Object.fromEntries((t.types ?? []).map((c) => [c.name, c.type]));
  }
  const disagree = [...ReadingDifferences(ours, reader, reader, types, false, false),
                    ...ReadingDifferences(ours, tools, tools, types, true, true)];
  if (check.verdict !== "accepts" || ours.error || disagree.length) {
    console.error(`run_corpus: the readers do not agree on the sound ${basename(file)}: ` +
                  [check.first, ours.error, ...disagree].filter(Boolean).join("; "));
    process.exit(2);
  }
  baseline.set(file, { password, reader, tools, types, bytes: readFileSync(file) });
}

const work = mkdtempSync(join(o.work ?? tmpdir(), "damage-corpus-"));
for (const signal of ["SIGINT", "SIGTERM"]) {
  process.on(signal, () => {
    rmSync(work, { recursive: true, force: true });
    process.exit(130);
  });
}
const velda = sources.find((f) => basename(f) === "velda_sample.mdb") ?? sources[0];
const totals = { made: 0, rejects: 0, accepts: 0, disagree: 0, fails: 0 };
const by_kind = {};
const faults = [];
const started = process.hrtime.bigint();
for (const seed of Seeds(o.seeds)) {
  // Half the copies come from the richest file (memos, several indexes, moved rows).
  const choose = Random(seed);
  const source = choose.next() < 0.5 ? velda : sources[choose.below(sources.length)];
  const sound = baseline.get(source);
  const { bytes, kind, description } = Damage(sound.bytes, seed);
  const file = join(work, `seed-${seed}-${basename(source)}`);
  writeFileSync(file, bytes);
  ++totals.made;
  const k = (by_kind[kind] ??= { made: 0, rejects: 0, disagree: 0 });
  ++k.made;
  const check = OurCheck(o.mdbtomysql, file, sound.password, o.timeout);
  let outcome;
  if (check.verdict === "fails") {
    ++totals.fails;
    outcome = `CHECK FAILS: ${check.detail}`;
  } else if (check.verdict === "rejects") {
    ++totals.rejects;
    ++k.rejects;
    outcome = `rejects: ${check.first}`;
  } else {
    ++totals.accepts;
    const ours = OurReading(o.mdbtomysql, file, sound.password, o.timeout);
    const differences = ours.error ? [`ours: ${ours.error}`] : [
      ...ReadingDifferences(ours, MdbReaderReading(o["mdb-reader"], file, sound.password, o.timeout),
                            sound.reader, sound.types, false, false).map((d) => "mdb-reader: " + d),
      ...ReadingDifferences(ours, MdbToolsReading(file, o.timeout), sound.tools, sound.types, true,
                            true).map((d) => "mdbtools: " + d)];
    if (differences.length) {
      ++totals.disagree;
      ++k.disagree;
      outcome = `ACCEPTED BUT READ DIFFERENTLY: ${differences.join("; ")}`;
    } else {
      outcome = "accepts; every reader agrees";
    }
  }
  const line = `seed ${seed} ${basename(source)} [${kind}, ${description}]: ${outcome}`;
  if (outcome.startsWith("ACCEPTED") || outcome.startsWith("CHECK")) {
    faults.push(line);
    if (o.keep) {
      mkdirSync(o.keep, { recursive: true });
      copyFileSync(file, join(o.keep, basename(file)));
    }
  }
  if (!o.quiet) console.log(line);
  rmSync(file);
}
rmSync(work, { recursive: true, force: true });

const seconds = Number(process.hrtime.bigint() - started) / 1e9;
console.log("\ndamage kind                  files  rejected  accepted but read differently");
for (const [kind, k] of Object.entries(by_kind).sort()) {
  console.log(`${kind.padEnd(28)} ${String(k.made).padStart(5)} ${String(k.rejects).padStart(9)} ` +
              `${String(k.disagree).padStart(6)}`);
}
console.log(`\nfiles made: ${totals.made}; check rejects: ${totals.rejects}; accepts: ${totals.accepts}` +
            `; accepted but an independent reader disagrees: ${totals.disagree}` +
            `; check crashed or hung: ${totals.fails}; ${(seconds / Math.max(1, totals.made)).toFixed(2)}` +
            ` s per file (${seconds.toFixed(0)} s)`);
for (const f of faults) console.log(f);
process.exit(totals.disagree + totals.fails === 0 ? 0 : 1);
