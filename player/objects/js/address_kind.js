// How an address is played, from its scheme and the extension of its path.
const PlaylistExtensions = new Set(['asx', 'wax', 'wvx', 'pls', 'm3u', 'ram', 'rpm', 'smil']);
const PlayableSchemes = new Set(['http:', 'https:', 'blob:', 'data:']);
// Streaming protocols that no browser opens: played through the host's media gateway. udp:, rtp: and
// srt: are the operators' (MPEG-TS to a multicast group, SRT): the host receives them.
const GatewaySchemes = new Set(['mms:', 'mmsh:', 'mmst:', 'rtsp:', 'rtsps:', 'rtmp:', 'rtmps:', 'rtmpt:', 'udp:', 'rtp:',
  'srt:']);
// Containers that no browser plays (Windows Media, RealMedia, AVI, MPEG program streams): straight to
// the gateway, without the page's own try and the host's look at why it failed.
const GatewayExtensions = new Set(['asf', 'wmv', 'wma', 'rm', 'rmvb', 'ra', 'avi', 'mpg', 'mpeg', 'vob']);

// -> {kind, url, scheme}; kind is one of 'native', 'hls', 'mpegts', 'flv', 'dash', 'playlist',
// 'gateway' (a streaming protocol the host's gateway opens), 'unsupported' (a scheme nothing here
// opens) or 'invalid' (not an address at all).
function addressKind(address) {
  const text = String(address == null ? '' : address).trim();
  let url;
  try {
    url = new URL(text, document.baseURI);
  } catch (e) {
    const match = /^([a-z][a-z0-9+.-]*):/i.exec(text);
    if (match) {
      // "udp://@:1234" (any address, that port) is no URL to the engine, but the gateway reads it.
      const scheme = match[1].toLowerCase() + ':';
      return {kind: GatewaySchemes.has(scheme) ? 'gateway' : 'unsupported', url: text, scheme};
    }
    return {kind: 'invalid', url: text, scheme: ''};
  }
  const scheme = url.protocol.toLowerCase();
  if (GatewaySchemes.has(scheme)) return {kind: 'gateway', url: url.href, scheme};
  if (!text || !PlayableSchemes.has(scheme)) return {kind: text ? 'unsupported' : 'invalid', url: url.href, scheme};
  if (scheme !== 'http:' && scheme !== 'https:') return {kind: 'native', url: url.href, scheme};
  const path = url.pathname.toLowerCase();
  const dot = path.lastIndexOf('.');
  const extension = dot > path.lastIndexOf('/') ? path.slice(dot + 1) : '';
  let kind = 'native';
  if (extension === 'm3u8') kind = 'hls';
  else if (extension === 'ts' || extension === 'mts' || extension === 'm2ts') kind = 'mpegts';
  else if (extension === 'flv') kind = 'flv';
  else if (extension === 'mpd') kind = 'dash';
  else if (PlaylistExtensions.has(extension)) kind = 'playlist';
  else if (GatewayExtensions.has(extension)) kind = 'gateway';
  return {kind, url: url.href, scheme};
}
