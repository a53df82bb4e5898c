// The Real object (classid CFCDAA03-..., id RPOCX in the Real page): setSource plays with AUTOSTART,
// SetVolume takes 0..100, errors go to the page's <id>_OnErrorMessage handler after SetWantErrors(true).
class RealPlayerObject extends PlayerObject {
  constructor(element) {
    super();
    this.element = element;
    this.source = '';
    this.lastErrorCode = 0;
    this.wantErrors = false;
    this.contextMenu = true;
    this.volume = 100;
    this.view = new PlayerView(element, {
      statusBar: false,
      messageStates: new Set(['connecting', 'buffering', 'reconnecting']),
      background: objectParam(element, 'BACKGROUNDCOLOR', '#000000'),
    });
    this.engine = new MediaEngine(this.view.video, this);
    this.view.box.addEventListener('contextmenu', (event) => {
      if (!this.contextMenu) event.preventDefault();
    });
    this.view.box.addEventListener('click', () => this.onClick());
    this.applyParams();
    const initial = objectParam(element, 'SRC', '') || objectParam(element, 'SOURCE', '');
    if (initial) this.setSource(initial);
  }

  // The parameters are read when playback starts: the page's parser may add them after the element.
  applyParams() {
    const center = flagValue(objectParam(this.element, 'CENTER', '0'), false);
    const keepAspect = flagValue(objectParam(this.element, 'MAINTAINASPECT', '0'), false);
    this.view.setStretch(!keepAspect);
    this.view.setSize(center ? 'original' : 'fit');
    this.view.box.style.backgroundColor = objectParam(this.element, 'BACKGROUNDCOLOR', '#000000');
  }

  autoStart() {
    return flagValue(objectParam(this.element, 'AUTOSTART', 'false'), false);
  }

  setSource(address) {
    this.source = String(address == null ? '' : address);
    this.lastErrorCode = 0;
    this.applyParams();
    if (!this.source) {
      this.engine.close();
      return;
    }
    this.engine.open(this.source, this.autoStart());
  }

  SetSource(address) { this.setSource(address); }
  GetSource() { return this.source; }

  DoPlay() {
    this.engine.play();
  }

  DoPause() {
    this.engine.pause();
  }

  DoPlayPause() {
    if (this.engine.isPaused()) this.engine.play();
    else this.engine.pause();
  }

  DoStop() {
    this.engine.close();
  }

  SetFullScreen() {
    if (this.view.setFullScreen(true)) fullScreenNotice(true);
  }

  LeaveFullScreen() {
    if (this.view.setFullScreen(false)) fullScreenNotice(false);
  }

  GetFullScreen() { return this.view.fullScreen; }

  SetVolume(value) {
    const number = Math.round(Number(value));
    if (!Number.isFinite(number)) return;
    this.volume = Math.min(100, Math.max(0, number));
    this.view.video.volume = this.volume / 100;
  }

  GetVolume() { return this.volume; }

  SetMute(muted) {
    this.view.video.muted = flagValue(muted, false);
  }

  GetMute() { return this.view.video.muted; }

  SetEnableContextMenu(enabled) {
    this.contextMenu = flagValue(enabled, true);
  }

  SetWantErrors(want) {
    this.wantErrors = flagValue(want, false);
  }

  GetLastErrorRMACode() { return this.lastErrorCode; }

  // --- MediaEngine listener (onState, onNeedsGesture: PlayerObject) ---

  onFailure(failure) {
    this.lastErrorCode = failure.code;
    this.view.show(failure.text, 'failed', true);
    this.element.dispatchEvent(new CustomEvent('OnErrorMessage', {detail: {code: failure.code, text: failure.text}}));
    if (!this.wantErrors) return;
    const handler = window[(this.element.id || 'RPOCX') + '_OnErrorMessage'];
    if (typeof handler !== 'function') return;
    // The error event's six arguments: severity, RMA code, user code, user string, more-info URL, error text.
    setTimeout(() => handler(2, failure.code, 0, failure.text, '', failure.text), 0);
  }
}
