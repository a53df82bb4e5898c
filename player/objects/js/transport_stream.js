// A look at the head of an MPEG-TS stream: the stream types its programs announce (PAT, then PMT),
// for telling a picture that the page's engines cannot decode from a stream that has none.
const TsPacketBytes = 188;
// MPEG-1 and MPEG-2 video, MPEG-4 Part 2, HEVC and VC-1: pictures only the gateway can turn into H.264.
const UndecodableVideoTypes = new Set([0x01, 0x02, 0x10, 0x24, 0xea]);

// bytes: a Uint8Array from the start of the stream -> the stream types of its programs' streams.
function transportStreamTypes(bytes) {
  const programs = new Set();
  const types = [];
  const start = bytes.indexOf(0x47);
  if (start < 0) return types;
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
      let i = offset + 12 + (((bytes[offset + 10] & 0x0f) << 8) | bytes[offset + 11]);
      while (i + 5 <= end) {
        types.push(bytes[i]);
        i += 5 + (((bytes[i + 3] & 0x0f) << 8) | bytes[i + 4]);
      }
      return types;
    }
  }
  return types;
}

// Reads the head of an MPEG-TS address (the page may read it: its library just did) and tells
// whether it carries a picture that the page cannot decode.
async function hasUndecodableVideo(url) {
  const controller = new AbortController();
  const timer = setTimeout(() => controller.abort(), 5000);
  try {
    const response = await fetch(url, {signal: controller.signal, cache: 'no-store'});
    const reader = response.body.getReader();
    const chunks = [];
    let length = 0;
    while (length < 64 * 1024) {
      const part = await reader.read();
      if (part.done) break;
      chunks.push(part.value);
      length += part.value.length;
    }
    const bytes = new Uint8Array(length);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return transportStreamTypes(bytes).some((type) => UndecodableVideoTypes.has(type));
  } catch (error) {
    return false;
  } finally {
    clearTimeout(timer);
    controller.abort();
  }
}
