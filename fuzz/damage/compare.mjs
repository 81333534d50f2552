// Whether two readings of one table agree: the same column names and the same rows (in any
// order: mdbtools lists a moved row where its bytes lie), each value brought to one form first.

function Kind(type) {
  const t = type ?? "";
  for (const k of ["Single", "Double", "Currency", "Decimal", "Date/Time", "Text", "Memo",
                   "Binary", "OLE Object"]) {
    if (t.startsWith(k)) return k;
  }
  return "other";
}

const kSpecial = { inf: Infinity, "-inf": -Infinity, nan: NaN, "-nan": NaN };
function Number_(text) {
  return text in kSpecial ? kSpecial[text] : Number(text);
}

// A decimal number's text without trailing zeros: "12.5000" and "12.5" are one value.
function DecimalText(text) {
  let t = text;
  if (t.includes(".")) t = t.replace(/0+$/, "").replace(/\.$/, "");
  return t === "-0" ? "0" : t;
}

// One value in the form both sides are compared in. mdbtools prints fewer digits, writes an
// empty text like NULL, ends a text at U+0000, cannot show days before 1899-12-30 and writes
// binary in lower case.
function Canonical(value, type, mdbtools) {
  if (value === "\\N") return value;
  switch (Kind(type)) {
    case "Single":
      return mdbtools ? Number_(value).toPrecision(6) : String(Math.fround(Number_(value)));
    case "Double":
      return mdbtools ? Number_(value).toPrecision(12) : String(Number_(value));
    case "Currency":
    case "Decimal":
      return mdbtools ? Number_(value).toPrecision(12) : DecimalText(value);
    case "Date/Time":
      return mdbtools && (value < "1899-12-30" || value.startsWith("1900-01-00")) ? "early" : value;
    case "Text":
    case "Memo": {
      // mdbtools' text ends at a U+0000 (Access keeps some in its own tables).
      const text = mdbtools ? value.split("\0")[0] : value;
      return mdbtools && text === "" ? "\\N" : text;
    }
    case "Binary":
    case "OLE Object":
      return mdbtools ? value.replace(/^0x/, "").toLowerCase() : value;
    default:
      return value;
  }
}

// mdb-reader gives a date to the millisecond; rounded again to the second it may land one second
// off where the stored time lies within half a millisecond of a half second.
function DatesOnlyRoundDifferently(a, b, kinds) {
  const x = a.split("\t");
  const y = b.split("\t");
  return x.length === y.length && x.every((v, i) => v === y[i] || (kinds[i] === "Date/Time" &&
      Math.abs(Date.parse(v.replace(" ", "T") + "Z") - Date.parse(y[i].replace(" ", "T") + "Z")) <= 1000));
}

// "" when `theirs` reads table `name` as `ours` does, else what differs. `types` maps column
// names to our type descriptions in the sound file ("Text(50)", "Single" ...).
export function TableDifference(ours, theirs, types, mdbtools) {
  const names = [...ours.columns].sort();
  const their_names = [...theirs.columns].sort();
  if (names.join("\t") !== their_names.join("\t")) {
    return `columns [${ours.columns.join(", ")}] against [${theirs.columns.join(", ")}]`;
  }
  const lines = (table) => {
    const at = names.map((n) => table.columns.indexOf(n));
    return table.rows.map((row) => at.map((i, k) => Canonical(row[i] ?? "\\N", types[names[k]], mdbtools))
                                         .join("\t")).sort();
  };
  const a = lines(ours);
  const b = lines(theirs);
  if (a.length !== b.length) return `${a.length} rows against ${b.length}`;
  const kinds = names.map((n) => Kind(types[n]));
  for (let i = 0; i < a.length; ++i) {
    if (a[i] !== b[i] && !(!mdbtools && DatesOnlyRoundDifferently(a[i], b[i], kinds))) {
      return `row <${a[i].slice(0, 120)}> against <${b[i].slice(0, 120)}>`;
    }
  }
  return "";
}

// What differs between our reading of a file and another reader's, table by table, for the tables
// that reader read in the sound file (`baseline`). [] when they agree.
export function ReadingDifferences(ours, theirs, baseline, types, mdbtools, user_only) {
  if (theirs.error) return [`the file: ${theirs.error}`];
  const out = [];
  const listed = (reading) => Object.keys(reading.tables)
      .filter((n) => !user_only || !reading.tables[n].system).sort().join(", ");
  const our_list = mdbtools ? Object.keys(ours.tables).filter((n) => !ours.tables[n].system).sort().join(", ")
                            : listed(ours);
  if (our_list !== listed(theirs)) out.push(`tables [${our_list}] against [${listed(theirs)}]`);
  for (const [name, sound] of Object.entries(baseline.tables)) {
    if (sound.error || !theirs.tables[name] || !ours.tables[name]) continue;
    const their_table = theirs.tables[name];
    const our_table = ours.tables[name];
    if (their_table.error) out.push(`${name}: ${their_table.error}`);
    else if (our_table.error) out.push(`${name}: ours: ${our_table.error}`);
    else {
      // Values are compared as the types we read in this copy say, the sound file's otherwise.
      const own = our_table.types && Object.fromEntries(our_table.types.map((c) => [c.name, c.type]));
      const d = TableDifference(our_table, their_table, own ?? types[name] ?? {}, mdbtools);
      if (d) out.push(`${name}: ${d}`);
    }
  }
  return out;
}
