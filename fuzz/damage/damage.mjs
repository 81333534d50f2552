// Seeded damage to a Jet 4 file: byte changes on one page of a chosen kind, a whole page zeroed, or
// the file cut short. The same seed and the same source file always give the same copy.

const kPage = 4096;

// A small seeded generator (mulberry32): the corpus must be the same on every machine.
export function Random(seed) {
  let state = seed >>> 0;
  const next = () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  return {
    next,
    below: (n) => Math.floor(next() * n),
    pick: (list) => list[Math.floor(next() * list.length)],
  };
}

// The page kinds a damage can aim at, and the kinds of damage. A seed picks one of each in turn,
// so a short run of consecutive seeds covers them all.
export const kPageKinds = [
  "catalogue definition", "table definition", "table data", "long values", "usage maps",
  "index leaf", "index node", "map bitmap", "global map", "header", "free",
];
export const kDamageKinds = ["bytes", "bytes", "bytes", "zeroed page", "cut at a page", "cut inside a page"];

function GlobalFree(bytes) {
  // Page 1, row 0: an inline map whose set bits are free pages.
  const slot0 = bytes.readUInt16LE(kPage + 14) & 0x1fff;
  if (bytes[kPage] !== 1 || slot0 < 16 || slot0 > kPage - 5 || bytes[kPage + slot0] !== 0) {
    return () => false;
  }
  const start = bytes.readUInt32LE(kPage + slot0 + 1);
  const bits = (kPage - slot0 - 5) * 8;
  return (p) => p >= start && p - start < bits &&
      ((bytes[kPage + slot0 + 5 + ((p - start) >> 3)] >> ((p - start) & 7)) & 1) === 1;
}

// Every page of a sound file by kind.
export function ClassifyPages(bytes) {
  const pages = Math.floor(bytes.length / kPage);
  const free = GlobalFree(bytes);
  const kinds = Object.fromEntries(kPageKinds.map((k) => [k, []]));
  const catalogue = new Set([2]);
  for (let p = 2; p !== 0 && p < pages && catalogue.size < 64;) {
    p = bytes.readUInt32LE(p * kPage + 4);
    if (p !== 0) catalogue.add(p);
  }
  for (let p = 0; p < pages; ++p) {
    const at = p * kPage;
    const type = bytes[at];
    const owner = bytes.readUInt32LE(at + 4);
    let kind;
    if (p === 0) kind = "header";
    else if (p === 1) kind = "global map";
    else if (free(p)) kind = "free";
    else if (type === 2) kind = catalogue.has(p) ? "catalogue definition" : "table definition";
    else if (type === 1 && bytes.toString("latin1", at + 4, at + 8) === "LVAL") kind = "long values";
    else if (type === 1) kind = owner === 0 ? "usage maps" : "table data";
    else if (type === 3) kind = "index node";
    else if (type === 4) kind = "index leaf";
    else if (type === 5) kind = "map bitmap";
    else kind = "free";
    kinds[kind].push(p);
  }
  return kinds;
}

// Where damage on page `p` matters: [from, to) ranges of offsets, with their weights.
function Areas(bytes, p, kind) {
  const at = p * kPage;
  const page = bytes.subarray(at, at + kPage);
  switch (kind) {
    case "catalogue definition":
    case "table definition": {
      const length = page.readUInt32LE(8);
      const first = page[0] === 2 && length > 63 && length <= kPage ? length : kPage;
      return [[0, 64, 1], [64, Math.max(65, first), 3]];
    }
    case "table data":
    case "long values":
    case "usage maps":
    case "global map": {
      const slots = Math.min(page.readUInt16LE(12), 2000);
      let lowest = kPage;
      for (let i = 0; i < slots; ++i) lowest = Math.min(lowest, page.readUInt16LE(14 + 2 * i) & 0x1fff);
      const table = Math.min(14 + 2 * slots, kPage);
      return [[0, table, 2], [Math.min(lowest, kPage - 1), kPage, 3]];
    }
    case "index leaf":
    case "index node": {
      const used = Math.min(3616 - page.readUInt16LE(2), 3616);
      return [[0, 27, 2], [27, 27 + Math.ceil(Math.max(used, 8) / 8), 1],
              [480, 480 + Math.max(used, 1), 3]];
    }
    case "header":
      return [[0, 0xa0, 1]];
    default:
      return [[0, kPage, 1]];
  }
}

function PickOffset(random, areas) {
  const total = areas.reduce((sum, a) => sum + a[2], 0);
  let roll = random.next() * total;
  for (const [from, to, weight] of areas) {
    if ((roll -= weight) <= 0) return from + random.below(to - from);
  }
  const [from, to] = areas[areas.length - 1];
  return from + random.below(to - from);
}

function ChangeByte(random, old) {
  for (;;) {
    const mode = random.below(4);
    const value = mode === 0 ? random.below(256)
        : mode === 1 ? 0
        : mode === 2 ? old ^ (1 << random.below(8))
        : (old + (random.below(2) ? 1 : 255)) & 0xff;
    if (value !== old) return value;
  }
}

// One damaged copy of `bytes` for `seed`: { bytes, kind, description }.
export function Damage(bytes, seed) {
  const random = Random(seed * 2654435761);
  const kinds = ClassifyPages(bytes);
  const pages = Math.floor(bytes.length / kPage);
  const damage = kDamageKinds[seed % kDamageKinds.length];
  if (damage === "cut at a page") {
    const keep = 3 + random.below(Math.max(1, pages - 3));
    return { bytes: bytes.subarray(0, keep * kPage), kind: damage, description: `after page ${keep - 1}` };
  }
  if (damage === "cut inside a page") {
    const size = kPage * 3 + 1 + random.below(bytes.length - kPage * 3 - 1);
    return { bytes: bytes.subarray(0, size), kind: damage, description: `at byte ${size}` };
  }
  // Aim at the seed's page kind, or the next kind the file has.
  let k = Math.floor(seed / kDamageKinds.length) % kPageKinds.length;
  while (kinds[kPageKinds[k]].length === 0) k = (k + 1) % kPageKinds.length;
  const kind = kPageKinds[k];
  const page = random.pick(kinds[kind]);
  const out = Buffer.from(bytes);
  if (damage === "zeroed page") {
    out.fill(0, page * kPage, (page + 1) * kPage);
    return { bytes: out, kind: `${kind}: zeroed`, description: `page ${page}` };
  }
  const changes = random.next() < 0.7 ? 1 : 2 + random.below(3);
  const areas = Areas(bytes, page, kind);
  const offsets = [];
  for (let i = 0; i < changes; ++i) {
    const offset = PickOffset(random, areas);
    const at = page * kPage + offset;
    const value = ChangeByte(random, out[at]);
    offsets.push(`${offset}:${out[at].toString(16)}>${value.toString(16)}`);
    out[at] = value;
  }
  return { bytes: out, kind: `${kind}: bytes`, description: `page ${page} bytes ${offsets.join(" ")}` };
}
