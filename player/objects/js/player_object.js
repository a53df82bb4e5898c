// What the Real and the Windows Media objects share as listeners of their MediaEngine: the state
// shown in the view, and a click that starts playback when the engine was refused autoplay.
class PlayerObject {
  onClick() {
    if (this.needsGesture) {
      this.needsGesture = false;
      this.engine.play();
    }
  }

  // --- MediaEngine listener ---

  onState(state) {
    this.shownState = state;
    this.showState();
  }

  // The title of what plays ('' when none) shows with the state while it plays.
  onTitle(title) {
    this.nowPlaying = title;
    if (this.shownState === 'playing') this.showState();
  }

  showState() {
    const state = this.shownState;
    const title = state === 'playing' ? this.nowPlaying || '' : '';
    this.view.show(title ? StatusText.nowPlaying + title : StatusText[state] || '', state, false, !!title);
  }

  // The sound tracks of what plays (see audio_tracks.js) go to the host, which offers them in its menu.
  onAudioTracks(list) {
    console.info(HostNames.audioTracksMarker + JSON.stringify(list));
  }

  onNeedsGesture() {
    this.needsGesture = true;
    this.view.show(StatusText.clickToPlay, 'paused', false);
  }
}
