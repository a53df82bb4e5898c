// The snapshot page: one <img> showing a webcam's picture, no player object; the host reloads the
// whole page for each new picture. A picture that cannot be shown would leave a broken-image icon or
// a black page, so the page says in words what went wrong, as the players do: the host's probe of
// the address tells a web page from a picture and a refusal from a missing one, and a picture that
// has not come after a few seconds is reported as no answer (and the words go when it comes).
const SnapshotAnswerSeconds = 4;
const SnapshotStyle = `
.zentavo-snapshot-message { position: fixed; left: 10%; right: 10%; top: 50%; transform: translateY(-50%);
  font: 14px sans-serif; color: #ff8c8c; text-align: center; pointer-events: none; z-index: 1; }
.zentavo-snapshot-message:empty { display: none; }
img.zentavo-snapshot-failed { visibility: hidden; }
`;
const SnapshotPrefix = 'The picture could not be shown: ';
const SnapshotText = Object.freeze({
  noAnswer: 'no answer from the camera\'s server.',
  webPage: 'the server sent a web page, not a picture.',
  notPicture: 'the server sent something other than a picture.',
  damaged: 'the picture is damaged or in a format that cannot be shown.',
  notFound: 'the server has no picture at this address (not found).',
  noHost: 'the camera\'s server could not be found.',
  refused: 'the camera\'s server refused the connection.',
  closed: 'the camera\'s server closed the connection.',
  redirects: 'too many redirects (the server keeps sending the page elsewhere).',
  tooLong: 'the server refused the address as too long (HTTP 414).',
  unknown: 'the address could not be read.',
});

// What the probe of a picture's address says went wrong.
function snapshotProblem(probe) {
  switch (probe && probe.outcome) {
    case FailureKind.ok: {
      const type = probe.contentType || '';
      if (type === 'text/html' || type === 'application/xhtml+xml') return SnapshotText.webPage;
      if (type && !type.startsWith('image/') && !type.startsWith('multipart/')) return SnapshotText.notPicture;
      return SnapshotText.damaged;
    }
    case FailureKind.notFound: return SnapshotText.notFound;
    case FailureKind.noHost: return SnapshotText.noHost;
    case FailureKind.refused: return SnapshotText.refused;
    case FailureKind.timeout: return SnapshotText.noAnswer;
    case FailureKind.closed: return SnapshotText.closed;
    case FailureKind.redirects: return SnapshotText.redirects;
    case FailureKind.http:
      if (probe.status === 414) return SnapshotText.tooLong;
      if (probe.status >= 500) return 'the server reported an error (HTTP ' + probe.status + ').';
      return 'the server refused the request (HTTP ' + probe.status + ').';
    default: return SnapshotText.unknown;
  }
}

function isSnapshotPage() {
  const scheme = location.protocol;
  if (scheme === 'http:' || scheme === 'https:') return false; // a web page keeps its own images
  return document.images.length > 0 && !document.querySelector('object');
}

class SnapshotView {
  constructor(image) {
    this.image = image;
    this.message = document.createElement('div');
    this.message.className = 'zentavo-snapshot-message';
    (document.body || document.documentElement).appendChild(this.message);
    const sheet = new CSSStyleSheet();
    sheet.replaceSync(SnapshotStyle);
    document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];
    image.addEventListener('load', () => this.onShown());
    image.addEventListener('error', () => this.onBroken());
    if (image.complete) {
      if (image.naturalWidth > 0) this.onShown();
      else this.onBroken();
    } else {
      this.timer = setTimeout(() => this.onNoAnswer(), SnapshotAnswerSeconds * 1000);
    }
  }

  show(problem) {
    this.image.classList.toggle('zentavo-snapshot-failed', !!problem);
    this.message.textContent = problem ? SnapshotPrefix + problem : '';
  }

  onShown() {
    clearTimeout(this.timer);
    this.broken = false;
    this.show('');
  }

  onNoAnswer() {
    if (this.image.naturalWidth > 0 || this.broken) return; // a picture (or a stream of them) shows
    this.show(SnapshotText.noAnswer);
  }

  async onBroken() {
    clearTimeout(this.timer);
    this.broken = true;
    const address = this.image.currentSrc || this.image.src;
    const target = addressKind(address);
    if (target.scheme !== 'http:' && target.scheme !== 'https:') {
      this.show(SnapshotText.unknown);
      return;
    }
    const probe = await probeAddress(target.url);
    if (this.broken) this.show(snapshotProblem(probe));
  }
}

let snapshotView = null;

// Called once the document is parsed.
function watchSnapshot() {
  if (snapshotView || !isSnapshotPage()) return;
  snapshotView = new SnapshotView(document.images[0]);
}
