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
    this.view.show(StatusText[state] || '', state, false);
  }

  onNeedsGesture() {
    this.needsGesture = true;
    this.view.show(StatusText.clickToPlay, 'paused', false);
  }
}
