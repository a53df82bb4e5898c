// The Windows Media object (classid 22D6F312-..., id NSPlay in the Windows Media page): setting
// FileName plays with AutoStart; volume is -10000..0 in hundredths of a decibel (amplitude 10^(v/2000));
// DisplaySize 0 original, 1 half, 2 fit to the window, 3 full screen; the status bar shows the state.
const DisplaySizes = Object.freeze(['original', 'half', 'fit', 'full']);

class WindowsMediaPlayerObject extends PlayerObject {
  constructor(element) {
    super();
    this.element = element;
    this.fileName = '';
    this.volumeLevel = 0;
    this.displaySize = 0;
    this.lastSize = 'fit';
    this.view = new PlayerView(element, {
      statusBar: flagValue(objectParam(element, 'ShowStatusBar', 'false'), false),
      messageStates: new Set(['connecting', 'buffering', 'reconnecting']),
    });
    this.engine = new MediaEngine(this.view.video, this);
    this.view.box.addEventListener('contextmenu', (event) => {
      if (!flagValue(objectParam(this.element, 'EnableContextMenu', 'true'), true)) event.preventDefault();
    });
    this.view.box.addEventListener('click', () => this.onClick());
    this.view.box.addEventListener('dblclick', () => {
      this.DisplaySize = this.displaySize === 3 ? DisplaySizes.indexOf(this.lastSize) : 3;
    });
    this.applyParams();
    this.view.show(StatusText.ready, 'ready', false);
    const initial = objectParam(element, 'FileName', '') || objectParam(element, 'URL', '');
    if (initial) this.FileName = initial;
  }

  applyParams() {
    this.view.setStatusBar(flagValue(objectParam(this.element, 'ShowStatusBar', 'false'), false));
    const size = parseInt(objectParam(this.element, 'DisplaySize', ''), 10);
    if (!this.sizeSet && size >= 0 && size <= 3) this.setDisplaySize(size, false);
  }

  get AutoStart() {
    if (this.autoStart !== undefined) return this.autoStart;
    return flagValue(objectParam(this.element, 'AutoStart', 'true'), true);
  }

  set AutoStart(value) { this.autoStart = flagValue(value, true); }

  get FileName() { return this.fileName; }

  set FileName(address) {
    this.fileName = String(address == null ? '' : address);
    this.applyParams();
    if (!this.fileName) {
      this.engine.close();
      return;
    }
    this.engine.open(this.fileName, this.AutoStart);
  }

  Play() { this.engine.play(); }
  Pause() { this.engine.pause(); }
  Stop() { this.engine.close(); }

  get volume() { return this.volumeLevel; }

  set volume(value) {
    const level = Math.round(Number(value));
    if (!Number.isFinite(level)) return;
    this.volumeLevel = Math.min(0, Math.max(-10000, level));
    this.view.video.volume = this.volumeLevel <= -10000 ? 0 : Math.min(1, Math.pow(10, this.volumeLevel / 2000));
  }

  get Mute() { return this.view.video.muted; }
  set Mute(value) { this.view.video.muted = flagValue(value, false); }

  get DisplaySize() { return this.displaySize; }

  set DisplaySize(value) {
    const size = Math.round(Number(value));
    if (!(size >= 0 && size <= 3)) return;
    this.sizeSet = true;
    this.setDisplaySize(size, true);
  }

  setDisplaySize(size, notify) {
    this.displaySize = size;
    const name = DisplaySizes[size];
    if (name === 'full') {
      if (this.view.setFullScreen(true) && notify) fullScreenNotice(true);
      return;
    }
    this.lastSize = name;
    this.view.setSize(name);
    if (this.view.setFullScreen(false) && notify) fullScreenNotice(false);
  }

  LeaveFullScreen() {
    if (this.displaySize === 3) this.DisplaySize = DisplaySizes.indexOf(this.lastSize);
  }

  get ShowStatusBar() { return this.view.statusBar; }
  set ShowStatusBar(value) { this.view.setStatusBar(flagValue(value, false)); }

  // 0 stopped, 1 paused, 2 playing, 3 waiting (connecting or buffering), as the old control counts.
  get PlayState() {
    return {stopped: 0, paused: 1, playing: 2, connecting: 3, buffering: 3}[this.engine.state] || 0;
  }

  // --- MediaEngine listener (onState, onNeedsGesture: PlayerObject) ---

  onFailure(failure) {
    this.view.show(failure.text, 'failed', true);
    this.element.dispatchEvent(new CustomEvent('Error', {detail: {code: failure.code, text: failure.text}}));
  }
}
