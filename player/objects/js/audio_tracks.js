// The sound tracks of what a media engine plays, as its library tells them, and the switch between
// them. A list is {tracks: [{name, language}], current: index or -1}; names and languages come from
// the stream and are plain, short text.
const LongestTrackText = 80;
const MostAudioTracks = 32;
const NoAudioTracks = Object.freeze({tracks: [], current: -1});

// Control characters become spaces.
function trackText(value) {
  let text = '';
  for (const c of String(value == null ? '' : value)) {
    const code = c.codePointAt(0);
    text += code < 0x20 || (code >= 0x7f && code < 0xa0) ? ' ' : c;
  }
  return text.trim().slice(0, LongestTrackText);
}

function trackList(tracks, current) {
  const shown = tracks.slice(0, MostAudioTracks).map((track) => ({name: trackText(track.name), language: trackText(track.language)}));
  return {tracks: shown, current: current >= 0 && current < shown.length ? current : -1};
}

function hlsAudioTracks(hls) {
  const tracks = (hls.audioTracks || []).map((track) => ({name: track.name, language: track.lang}));
  return trackList(tracks, hls.audioTrack);
}

function dashAudioTracks(player) {
  const tracks = player.getTracksFor('audio') || [];
  const current = player.getCurrentTrackFor('audio');
  const index = tracks.findIndex((track) => track === current ||
    (!!current && track.id === current.id && track.index === current.index && track.lang === current.lang));
  const label = (track) => (track.labels && track.labels[0] && track.labels[0].text) || '';
  return trackList(tracks.map((track) => ({name: label(track), language: track.lang})), index);
}

// The media element's own tracks (a film with several sound tracks), where the engine has them.
function elementAudioTracks(video) {
  const list = video.audioTracks;
  if (!list) return NoAudioTracks;
  const tracks = [];
  let current = -1;
  for (let i = 0; i < list.length; i++) {
    tracks.push({name: list[i].label, language: list[i].language});
    if (list[i].enabled && current < 0) current = i;
  }
  return trackList(tracks, current);
}

function selectElementAudioTrack(video, index) {
  const list = video.audioTracks;
  if (!list || index < 0 || index >= list.length) return false;
  for (let i = 0; i < list.length; i++) list[i].enabled = i === index;
  return true;
}

// Asks the host's gateway which sound tracks session key's source has and which of them plays.
function gatewayAudioTracks(key) {
  return new Promise((resolve) => {
    const xhr = gatewayRequest(HostNames.gatewayTracksPath + '?id=' + key);
    xhr.onloadend = () => {
      try {
        const answer = xhr.status === 200 ? JSON.parse(xhr.responseText) : null;
        if (answer && Array.isArray(answer.tracks)) return resolve(trackList(answer.tracks, Number(answer.current)));
      } catch (error) {
        // An answer that is not a list says nothing.
      }
      resolve(NoAudioTracks);
    };
    xhr.send();
  });
}
