// What the streaming libraries tell of the stream they play, for the host's stream information.
// Each returns only the fields its library knows; the host says "unknown" for the rest. Sizes are
// pixels, rates bits a second, sample rates hertz.

// The codecs named in a type as 'video/mp2t; codecs="avc1.64001f,mp4a.40.2"'.
function codecsOfType(type) {
  const match = /codecs="?([^";]*)/i.exec(String(type || ''));
  return match ? match[1].split(',').map((codec) => codec.trim()).filter(Boolean) : [];
}

function positiveNumber(value) {
  const number = Number(value);
  return Number.isFinite(number) && number > 0 ? number : undefined;
}

function mpegtsFacts(instance, container) {
  const info = instance.mediaInfo || {};
  const facts = {container: container === 'flv' ? 'FLV' : 'MPEG-TS'};
  const codecs = codecsOfType(info.mimeType);
  facts.videoCodec = info.videoCodec || codecs.find((codec) => !/^mp4a|^mp3|^ac-3|^opus/i.test(codec));
  facts.audioCodec = info.audioCodec || codecs.find((codec) => /^mp4a|^mp3|^ac-3|^opus/i.test(codec));
  facts.width = positiveNumber(info.width);
  facts.height = positiveNumber(info.height);
  facts.frameRate = positiveNumber(info.fps);
  facts.channels = positiveNumber(info.audioChannelCount);
  facts.sampleRate = positiveNumber(info.audioSampleRate);
  // The library counts its data rates in kilobits a second.
  const rate = (positiveNumber(info.videoDataRate) || 0) + (positiveNumber(info.audioDataRate) || 0);
  facts.bitRate = rate > 0 ? Math.round(rate * 1000) : undefined;
  return facts;
}

function hlsFacts(instance) {
  const facts = {container: 'HLS'};
  const levels = instance.levels || [];
  const level = levels[instance.currentLevel] || levels[0];
  if (!level) return facts;
  facts.videoCodec = level.videoCodec;
  facts.audioCodec = level.audioCodec;
  facts.width = positiveNumber(level.width);
  facts.height = positiveNumber(level.height);
  facts.frameRate = positiveNumber(level.frameRate || (level.attrs && level.attrs['FRAME-RATE']));
  facts.bitRate = positiveNumber(level.bitrate);
  const track = (instance.audioTracks || [])[instance.audioTrack];
  const channels = track && track.attrs && parseInt(track.attrs.CHANNELS, 10);
  facts.channels = positiveNumber(channels);
  return facts;
}

function dashFacts(instance) {
  const facts = {container: 'DASH'};
  for (const type of ['video', 'audio']) {
    const track = instance.getCurrentTrackFor(type);
    if (!track) continue;
    if (type === 'video') facts.videoCodec = codecsOfType(track.codec)[0] || track.codec;
    else facts.audioCodec = codecsOfType(track.codec)[0] || track.codec;
    if (type === 'audio' && track.audioChannelConfiguration) {
      facts.channels = positiveNumber(parseInt(track.audioChannelConfiguration[0], 10));
    }
  }
  const video = (instance.getBitrateInfoListFor('video') || [])[instance.getQualityFor('video')];
  if (video) {
    facts.width = positiveNumber(video.width);
    facts.height = positiveNumber(video.height);
    facts.bitRate = positiveNumber(video.bitrate);
  }
  return facts;
}

// The container a native play most likely has, from its address's ending.
function containerOfAddress(address) {
  const match = /\.([a-z0-9]{2,4})(?:$|[?#])/i.exec(String(address || ''));
  const known = {mp4: 'MP4', m4v: 'MP4', m4a: 'MP4', mov: 'QuickTime', webm: 'WebM', mkv: 'Matroska',
    ogg: 'Ogg', ogv: 'Ogg', oga: 'Ogg', opus: 'Ogg', mp3: 'MP3', aac: 'ADTS (AAC)', wav: 'WAVE', flac: 'FLAC'};
  return match ? known[match[1].toLowerCase()] : undefined;
}

// What a media engine plays: its kind of address and the facts its library knows. The picture's
// size comes from the media element, which knows it whatever plays.
function describeEngine(engine) {
  const facts = {address: engine.address, state: engine.state};
  const player = engine.player;
  if (player) {
    facts.engine = player.kind;
    try {
      if (player.kind === 'hls') Object.assign(facts, hlsFacts(player.instance));
      else if (player.kind === 'mpegts') Object.assign(facts, mpegtsFacts(player.instance, player.container));
      else if (player.kind === 'dash') Object.assign(facts, dashFacts(player.instance));
      else if (player.kind === 'gateway') facts.gatewaySession = player.key;
      else if (player.kind === 'native') facts.container = containerOfAddress(player.url);
    } catch (error) {
      // A library that cannot say leaves its fields unknown.
    }
  }
  if (engine.video.videoWidth) {
    facts.width = engine.video.videoWidth;
    facts.height = engine.video.videoHeight;
  }
  for (const key of Object.keys(facts)) {
    if (facts[key] === undefined || facts[key] === null || facts[key] === '') delete facts[key];
  }
  return facts;
}
