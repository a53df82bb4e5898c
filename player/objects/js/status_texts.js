// Words the players show on their status bar (and over the picture of a player without one).
const StatusText = Object.freeze({
  ready: 'Ready',
  connecting: 'Connecting...',
  buffering: 'Buffering',
  playing: 'Playing',
  nowPlaying: 'Playing: ',
  soundOnly: 'Playing (sound only)',
  paused: 'Paused',
  stopped: 'Stopped',
  reconnecting: 'Reconnecting ...',
  clickToPlay: 'Click the picture to start playback',
});
