// A look at the head of an MPEG-TS stream: the streams its programs announce (PAT, then PMT), for
// telling a picture that the page's engines cannot decode from a stream that has none, and for the
// sound tracks a stream carries (mpegts.js plays the first only; the gateway plays any of them).
const TsPacketBytes = 188;
// MPEG-1 and MPEG-2 video, MPEG-4 Part 2, HEVC and VC-1: pictures only the gateway can turn into H.264.
const UndecodableVideoTypes = new Set([0x01, 0x02, 0x10, 0x24, 0xea]);
// MPEG audio, AAC (ADTS and LATM), AC-3 and E-AC-3 as ATSC marks them.
const AudioStreamTypes = new Set([0x03, 0x04, 0x0f, 0x11, 0x81, 0x87]);
// In private PES streams (type 0x06), DVB marks sound by a descriptor: AC-3, E-AC-3, AAC, DTS, and the
// extension descriptor (AC-4, Opus).
const AudioDescriptorTags = new Set([0x6a, 0x7a, 0x7c, 0x7b, 0x7f]);
const LanguageDescriptorTag = 0x0a;
// The sound that mpegts.js plays: the first stream of these types (DVB's private streams it passes over).
const MpegtsAudioTypes = new Set([0x03, 0x04, 0x0f, 0x11, 0x81, 0x87]);

// bytes: a Uint8Array from the start of the stream -> the streams of its first program's PMT, in its
// order: {type, audio (whether it is sound), language (ISO 639-2 code, '' when none)}.
function transportStreams(bytes) {
  const programs = new Set();
  const start = bytes.indexOf(0x47);
  if (start < 0) return [];
  for (let at = start; at + TsPacketBytes <= bytes.length; at += TsPacketBytes) {
    if (bytes[at] !== 0x47) break;
    const pid = ((bytes[at + 1] & 0x1f) << 8) | bytes[at + 2];
    const unitStart = (bytes[at + 1] & 0x40) !== 0;
    const adaptation = (bytes[at + 3] >> 4) & 3;
    if (!unitStart || (adaptation & 1) === 0) continue;
    let offset = at + 4 + ((adaptation & 2) ? 1 + bytes[at + 4] : 0);
    offset += 1 + bytes[offset]; // pointer field
    const end = Math.min(at + TsPacketBytes, offset + 3 + (((bytes[offset + 1] & 0x0f) << 8) | bytes[offset + 2]) - 4);
    if (pid === 0 && bytes[offset] === 0x00) {
      for (let i = offset + 8; i + 4 <= end; i += 4) {
        const program = (bytes[i] << 8) | bytes[i + 1];
        if (program !== 0) programs.add(((bytes[i + 2] & 0x1f) << 8) | bytes[i + 3]);
      }
    } else if (programs.has(pid) && bytes[offset] === 0x02) {
      return pmtStreams(bytes, offset, end);
    }
  }
  return [];
}

// The streams of the PMT section at offset (its table id), up to end (before its CRC).
function pmtStreams(bytes, offset, end) {
  const streams = [];
  let i = offset + 12 + (((bytes[offset + 10] & 0x0f) << 8) | bytes[offset + 11]);
  while (i + 5 <= end) {
    const type = bytes[i];
    const infoEnd = Math.min(end, i + 5 + (((bytes[i + 3] & 0x0f) << 8) | bytes[i + 4]));
    let audio = AudioStreamTypes.has(type);
    let language = '';
    for (let d = i + 5; d + 2 <= infoEnd; d += 2 + bytes[d + 1]) {
      const tag = bytes[d];
      if (type === 0x06 && AudioDescriptorTags.has(tag)) audio = true;
      if (tag === LanguageDescriptorTag && bytes[d + 1] >= 3 && d + 5 <= infoEnd) {
        language = String.fromCharCode(bytes[d + 2], bytes[d + 3], bytes[d + 4]).replace(/[^A-Za-z]/g, '');
      }
    }
    streams.push({type, audio, language});
    i = infoEnd;
  }
  return streams;
}

// Reads the head of an MPEG-TS address (the page may read it: its library just did) up to its first
// PMT, and tells what streams it announces (see transportStreams); none when it cannot be read.
async function readTransportStreams(url) {
  const controller = new AbortController();
  const timer = setTimeout(() => controller.abort(), 5000);
  try {
    const response = await fetch(url, {signal: controller.signal, cache: 'no-store'});
    const reader = response.body.getReader();
    let bytes = new Uint8Array(0);
    while (bytes.length < 64 * 1024) {
      const part = await reader.read();
      if (part.done) break;
      const joined = new Uint8Array(bytes.length + part.value.length);
      joined.set(bytes);
      joined.set(part.value, bytes.length);
      bytes = joined;
      const streams = transportStreams(bytes);
      if (streams.length) return streams;
    }
    return transportStreams(bytes);
  } catch (error) {
    return [];
  } finally {
    clearTimeout(timer);
    controller.abort();
  }
}

// The sound streams among streams, and which of them mpegts.js plays (-1: none), as a track list's
// parts: {tracks: [{name, language}], current}.
function transportStreamAudio(streams) {
  const audio = streams.filter((stream) => stream.audio);
  return {
    tracks: audio.map((stream) => ({name: '', language: stream.language})),
    current: audio.findIndex((stream) => MpegtsAudioTypes.has(stream.type)),
  };
}

// Whether the streams carry a picture that the page cannot decode.
function hasUndecodableVideo(streams) {
  return streams.some((stream) => UndecodableVideoTypes.has(stream.type));
}
