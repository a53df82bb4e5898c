// What a player object shows: the picture filling the page on black, a status bar (Windows Media
// object with ShowStatusBar) or a message over the picture, and the page-filling full screen mode.
// The view lives inside the <object> element (its fallback content), so the element stays where the
// page put it.
const StatusBarHeight = 22;
const PlayerStyle = `
object.zentavo-object { display: block; }
object.zentavo-object > :not(.zentavo-player):not(.zentavo-status):not(.zentavo-spoken) { display: none !important; }
.zentavo-spoken { position: fixed; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%);
  white-space: nowrap; }
.zentavo-player { position: fixed; left: 0; top: 0; right: 0; bottom: 0; z-index: 1;
  display: flex; align-items: center; justify-content: center; overflow: hidden; background: #000; }
.zentavo-player.zentavo-with-status { bottom: ${StatusBarHeight}px; }
.zentavo-player.zentavo-full { bottom: 0; z-index: 2147483647; }
.zentavo-player video { display: block; background: #000; }
.zentavo-player.zentavo-fit video { width: 100%; height: 100%; object-fit: contain; }
.zentavo-player.zentavo-fit.zentavo-stretch video { object-fit: fill; }
.zentavo-player.zentavo-full video { width: 100%; height: 100%; object-fit: contain; }
.zentavo-player.zentavo-original video { max-width: 100%; max-height: 100%; }
.zentavo-message { position: absolute; left: 10%; right: 10%; top: 50%; transform: translateY(-50%);
  font: 14px sans-serif; color: #c8c8c8; text-align: center; pointer-events: none; }
.zentavo-message:empty { display: none; }
.zentavo-message.zentavo-error { color: #ff8c8c; }
.zentavo-status { position: fixed; left: 0; right: 0; bottom: 0; height: ${StatusBarHeight}px; z-index: 1;
  box-sizing: border-box; padding: 3px 8px; background: #202020; border-top: 1px solid #3a3a3a;
  font: 12px sans-serif; color: #e0e0e0; white-space: nowrap; overflow: hidden; text-overflow: ellipsis; }
.zentavo-status.zentavo-error { color: #ff8c8c; }
.zentavo-full ~ .zentavo-status { display: none; }
`;

function installPlayerStyle() {
  const sheet = new CSSStyleSheet();
  sheet.replaceSync(PlayerStyle);
  document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];
}

// Display sizes: 'fit' (the window), 'original', 'half' (50 %) and 'full' (full screen).
class PlayerView {
  constructor(element, options) {
    this.element = element;
    this.statusBar = !!options.statusBar;
    this.messageStates = options.messageStates; // states whose words show over the picture
    this.stretch = !!options.stretch;
    this.size = 'fit';
    this.fullScreen = false;
    element.classList.add('zentavo-object');
    this.box = document.createElement('div');
    this.box.className = 'zentavo-player';
    this.box.style.backgroundColor = options.background || '#000';
    this.video = document.createElement('video');
    this.video.setAttribute('playsinline', '');
    this.video.preload = 'auto';
    this.message = document.createElement('div');
    this.message.className = 'zentavo-message';
    this.box.append(this.video, this.message);
    this.status = document.createElement('div');
    this.status.className = 'zentavo-status';
    // What the player says, for screen readers, whether the status bar shows or not: a live region
    // that is read out as it changes.
    this.spoken = document.createElement('div');
    this.spoken.className = 'zentavo-spoken';
    this.spoken.setAttribute('role', 'status');
    this.spoken.setAttribute('aria-live', 'polite');
    element.append(this.box, this.status, this.spoken);
    this.video.addEventListener('loadedmetadata', () => this.layout());
    this.video.addEventListener('resize', () => this.layout());
    this.setStatusBar(this.statusBar);
    this.setSize('fit');
  }

  setStatusBar(shown) {
    this.statusBar = !!shown;
    this.status.hidden = !this.statusBar;
    this.box.classList.toggle('zentavo-with-status', this.statusBar);
  }

  setStretch(stretch) {
    this.stretch = !!stretch;
    this.box.classList.toggle('zentavo-stretch', this.stretch);
  }

  setSize(size) {
    this.size = size;
    this.box.classList.toggle('zentavo-fit', size === 'fit');
    this.box.classList.toggle('zentavo-original', size === 'original' || size === 'half');
    this.box.classList.toggle('zentavo-stretch', this.stretch);
    this.layout();
  }

  layout() {
    const scale = this.size === 'half' ? 0.5 : 1;
    if (!this.fullScreen && (this.size === 'original' || this.size === 'half') && this.video.videoWidth) {
      // CSS pixels that cover the picture's own pixels one to one on this screen.
      const ratio = window.devicePixelRatio || 1;
      const width = Math.round((this.video.videoWidth * scale) / ratio);
      const height = Math.round((this.video.videoHeight * scale) / ratio);
      this.video.style.width = width + 'px';
      this.video.style.height = height + 'px';
      this.askForRoom(width, height + (this.statusBar ? StatusBarHeight : 0));
    } else {
      this.video.style.width = '';
      this.video.style.height = '';
    }
  }

  // A picture shown smaller than its own size is rescaled on every frame, which costs more than
  // the rest of the play together: the page asks the window for the room once per picture size.
  askForRoom(width, height) {
    const room = width + 'x' + height;
    if (room === this.roomAsked) return;
    this.roomAsked = room;
    if (window.innerWidth < width || window.innerHeight < height) console.info(HostNames.pictureRoom + room);
  }

  // Returns whether the mode changed.
  setFullScreen(on) {
    on = !!on;
    if (this.fullScreen === on) return false;
    this.fullScreen = on;
    this.box.classList.toggle('zentavo-full', on);
    this.layout();
    return true;
  }

  // Shows the state in words; error: whether the words report a failure; titled: the words name what
  // plays (shown over a picture-less stream in place of "Playing (sound only)").
  show(text, state, error, titled) {
    this.status.textContent = text;
    this.status.classList.toggle('zentavo-error', !!error);
    // A stream without a picture says so, rather than leaving a black box.
    const soundOnly = !error && state === 'playing' && !this.video.videoWidth;
    const overPicture = !!error || soundOnly || (!this.statusBar && this.messageStates.has(state));
    this.message.textContent = overPicture ? (soundOnly && !titled ? StatusText.soundOnly : text) : '';
    this.message.classList.toggle('zentavo-error', !!error);
    const spoken = soundOnly && !titled ? StatusText.soundOnly : text;
    if (this.spoken.textContent !== spoken) {
      this.spoken.textContent = spoken;
      statusNotice(spoken);
    }
  }
}
