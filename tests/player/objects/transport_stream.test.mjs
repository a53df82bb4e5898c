// The look at an MPEG-TS stream's head (player/objects/js/transport_stream.js), run with Node's own
// test runner on packets made here: which streams are sound, in what order and in what language,
// as the page offers them as tracks; and heads that hold no program table.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {runInNewContext} from 'node:vm';

const sourceDir = process.env.ZENTAVO_SOURCE_DIR ?? new URL('../../..', import.meta.url).pathname;
const script = readFileSync(`${sourceDir}/player/objects/js/transport_stream.js`, 'utf8');
const {transportStreams, transportStreamAudio, hasUndecodableVideo} =
  runInNewContext(`${script}\n({transportStreams, transportStreamAudio, hasUndecodableVideo});`, {});

const PmtPid = 0x1000;

// One 188-byte packet of pid starting a section (pointer field 0), padded with 0xff.
function packet(pid, section) {
  const bytes = new Uint8Array(188).fill(0xff);
  bytes.set([0x47, 0x40 | (pid >> 8), pid & 0xff, 0x10, 0x00]);
  bytes.set(section, 5);
  return bytes;
}

// A section: table id, then the syntax bit and the length of body and CRC (four zero bytes here).
function section(tableId, body) {
  const length = body.length + 4;
  return [tableId, 0xb0 | (length >> 8), length & 0xff, ...body, 0, 0, 0, 0];
}

const pat = packet(0, section(0x00, [0, 1, 0xc1, 0, 0, 0, 1, 0xe0 | (PmtPid >> 8), PmtPid & 0xff]));

function language(code) {
  return [0x0a, 4, ...[...code].map((c) => c.charCodeAt(0)), 0];
}

// streams: [type, descriptor bytes].
function pmt(streams) {
  const body = [0, 1, 0xc1, 0, 0, 0xe1, 0x00, 0xf0, 0x00];
  streams.forEach(([type, descriptors], i) => {
    const pid = 0x100 + i;
    body.push(type, 0xe0 | (pid >> 8), pid & 0xff, 0xf0 | (descriptors.length >> 8), descriptors.length & 0xff, ...descriptors);
  });
  return packet(PmtPid, section(0x02, body));
}

function join(...packets) {
  const bytes = new Uint8Array(packets.reduce((sum, p) => sum + p.length, 0));
  let at = 0;
  for (const p of packets) {
    bytes.set(p, at);
    at += p.length;
  }
  return bytes;
}

const described = (bytes) => [...transportStreams(bytes)].map((s) => `${s.type.toString(16)}${s.audio ? ' audio' : ''}${s.language ? ' ' + s.language : ''}`);

test('the sound streams of a program are told in its order, with their languages', () => {
  const head = join(pat, pmt([
    [0x1b, []], // H.264
    [0x0f, language('eng')], // AAC
    [0x06, [...language('deu'), 0x6a, 1, 0]], // AC-3, as DVB marks it
    [0x06, [0x56, 5, 0x64, 0x65, 0x75, 0x09, 0x00]], // teletext: no sound
    [0x04, []], // MPEG audio without a language
    [0x81, language('f\u0001a')], // AC-3 as ATSC marks it, a language with a control byte
  ]));
  assert.deepEqual(described(head), ['1b', 'f audio eng', '6 audio deu', '6', '4 audio', '81 audio fa']);
  assert.equal(hasUndecodableVideo(transportStreams(head)), false);
  const audio = transportStreamAudio(transportStreams(head));
  assert.deepEqual([...audio.tracks].map((track) => track.language), ['eng', 'deu', '', 'fa']);
  assert.equal(audio.current, 0, 'mpegts.js plays the AAC stream');
});

test('mpegts.js passes over sound in DVB private streams: the first sound it plays is the current track', () => {
  const head = join(pat, pmt([[0x1b, []], [0x06, [...language('deu'), 0x6a, 1, 0]], [0x0f, language('eng')]]));
  assert.equal(transportStreamAudio(transportStreams(head)).current, 1);
  const none = join(pat, pmt([[0x1b, []], [0x06, [0x7a, 1, 0]]]));
  assert.equal(transportStreamAudio(transportStreams(none)).current, -1);
});

test('the program table is found after other packets and a leading partial packet', () => {
  const noise = packet(0x1fff, []);
  const head = join(new Uint8Array([1, 2, 3]), noise, pat, noise, pmt([[0x02, []], [0x03, language('spa')]]));
  assert.deepEqual(described(head), ['2', '3 audio spa']);
  assert.equal(hasUndecodableVideo(transportStreams(head)), true);
});

test('a head without its program table tells no streams', () => {
  const cases = [
    ['nothing', new Uint8Array(0)],
    ['no sync byte', new Uint8Array(400).fill(0x11)],
    ['a PAT only', pat],
    ['a PMT before any PAT', join(pmt([[0x0f, []]]), pat)],
    ['a PMT cut short', join(pat, pmt([[0x0f, language('eng')]]).subarray(0, 20))],
  ];
  for (const [name, bytes] of cases) assert.deepEqual(described(bytes), [], name);
});

test('descriptors that claim more than the stream entry holds stay within it', () => {
  // The language descriptor says 4 bytes, but the entry's descriptors end after 3 of them.
  const head = join(pat, pmt([[0x0f, [0x0a, 4, 0x65, 0x6e]], [0x0f, language('fra')]]));
  assert.deepEqual(described(head), ['f audio', 'f audio fra']);
});
