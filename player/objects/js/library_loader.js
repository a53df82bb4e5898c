// The host's side of the players, reached through its own URL scheme by script elements (classic
// scripts need no CORS): the streaming libraries, loaded only when an address needs one and only
// once per page, and the probe that resolves playlists and tells why an address cannot be reached.
const HostScheme = HostNames.objectsScheme + ':';
const libraryLoads = new Map();

// scheme: the host's scheme that answers (the objects' scheme unless given).
function appendHostScript(path, onerror, scheme) {
  const script = document.createElement('script');
  script.src = (scheme || HostScheme) + path;
  script.async = true;
  script.onerror = onerror;
  (document.head || document.documentElement).appendChild(script);
  return script;
}

// Resolves to the library's global (Hls, mpegts, dashjs).
function loadLibrary(file, globalName) {
  if (window[globalName]) return Promise.resolve(window[globalName]);
  let load = libraryLoads.get(file);
  if (!load) {
    load = new Promise((resolve, reject) => {
      performance.mark('zentavo-library-asked');
      const script = appendHostScript(HostNames.objectsLibraryPath + file, () => reject(new Error('cannot load ' + file)));
      script.onload = () => {
        performance.mark('zentavo-library');
        if (window[globalName]) resolve(window[globalName]);
        else reject(new Error(file + ' defined no ' + globalName));
      };
    });
    libraryLoads.set(file, load);
    load.catch(() => libraryLoads.delete(file));
  }
  return load;
}

// The host's mirror of an http(s) address (see StreamRelay), and back.
function relayAddress(address) {
  return /^https?:/i.test(address) ? HostNames.relayPrefix + address : address;
}

function realAddress(address) {
  const text = String(address);
  const rest = text.slice(HostNames.relayPrefix.length);
  return text.toLowerCase().startsWith(HostNames.relayPrefix) && /^https?:/i.test(rest) ? rest : text;
}

// The library each address kind plays through: [file, global].
const KindLibraries = Object.freeze({
  hls: ['hls.js', 'Hls'],
  mpegts: ['mpegts.js', 'mpegts'],
  flv: ['mpegts.js', 'mpegts'],
  dash: ['dash.js', 'dashjs'],
});

// Starts loading the library an address will need, without waiting for it.
function preloadLibraryFor(address) {
  if (typeof address !== 'string' || !address) return;
  const library = KindLibraries[addressKind(address).kind];
  if (library) loadLibrary(library[0], library[1]).catch(() => {});
}

const pendingProbes = new Map();
let probeSequence = 0;

// Called by the probe script that the host answers with.
function finishProbe(id, result) {
  const pending = pendingProbes.get(id);
  if (pending) {
    pendingProbes.delete(id);
    pending(result);
  }
}

// Asks the host to fetch the address. Resolves to {outcome, status, contentType, kind, entry}:
// outcome 'ok', 'notfound', 'nohost', 'refused', 'timeout', 'closed', 'redirects', 'selfref' (a
// playlist that names itself), 'http' (see status) or 'error'; kind 'hls' when the body is an HLS
// playlist, 'playlist' when it lists entries (entry: the first playable one), else 'media'.
// options.watch: a stream that answers is read for a few seconds more, to see whether the server
// closes it (only for finding out why an address failed: it delays the answer).
function probeAddress(url, options) {
  const watch = options && options.watch ? '&watch=1' : '';
  return new Promise((resolve) => {
    const id = ++probeSequence;
    let script = null;
    const done = (result) => {
      if (script) script.remove();
      resolve(result || {outcome: FailureKind.error});
    };
    pendingProbes.set(id, done);
    script = appendHostScript(HostNames.objectsProbePath + '?id=' + id + watch + '&url=' + encodeURIComponent(url),
        () => finishProbe(id, null));
  });
}

// Why a gateway session failed, from the failure answer's body.
function readGatewayFailure(body) {
  try {
    const result = JSON.parse(new TextDecoder().decode(body));
    if (result && typeof result.outcome === 'string') return result;
  } catch (e) {
    // An answer that is no failure object says no more than that it failed.
  }
  return {outcome: FailureKind.error};
}

// The host's gateway: a session key per play, why a session failed, and the loader through which
// mpegts.js reads a session's MPEG-TS (chunk after chunk: the engine cannot stream the host's
// scheme with fetch).
function gatewayKey() {
  return Date.now().toString(36) + Math.random().toString(36).slice(2, 12);
}

function gatewayRequest(path) {
  const xhr = new XMLHttpRequest();
  xhr.open('GET', HostNames.gatewayScheme + ':' + path, true);
  return xhr;
}

// A mpegts.js loader class that reads session key of address from the host's gateway; a session
// that fails hands why to onFailure ({outcome, text}: the kind of failure and its words) before the
// loader reports its error. audio: the index of the source's sound track to play (-1: the gateway's pick).
function gatewayLoaderClass(mpegts, key, address, onFailure, audio) {
  const Status = mpegts.LoaderStatus;
  return class GatewayLoader extends mpegts.BaseLoader {
    static isSupported() {
      return true;
    }

    constructor() {
      super('zentavo-gateway-loader');
      this._needStash = false;
      this.sequence = 0;
      this.received = 0;
      this.request = null;
      this.stopped = false;
    }

    open() {
      this._status = Status.kConnecting;
      this.next();
    }

    next() {
      if (this.stopped) return;
      let path = HostNames.gatewayChunkPath + '?id=' + key + '&n=' + this.sequence;
      if (this.sequence === 0) path += '&url=' + encodeURIComponent(address) + (audio >= 0 ? '&audio=' + audio : '');
      this.sequence++;
      const xhr = this.request = gatewayRequest(path);
      xhr.responseType = 'arraybuffer';
      xhr.onload = () => {
        if (this.stopped) return;
        if (xhr.status !== 200) return this.failed(xhr.status);
        const chunk = xhr.response;
        if (String(xhr.getResponseHeader('Content-Type')).startsWith(HostNames.gatewayFailureType)) {
          onFailure(readGatewayFailure(chunk));
          return this.failed(0);
        }
        if (!chunk || chunk.byteLength === 0) {
          this._status = Status.kComplete;
          if (this._onComplete) this._onComplete(0, this.received - 1);
          return;
        }
        this._status = Status.kBuffering;
        const start = this.received;
        this.received += chunk.byteLength;
        if (this._onDataArrival) this._onDataArrival(chunk, start, this.received);
        this.next();
      };
      xhr.onerror = () => {
        if (!this.stopped) this.failed(0);
      };
      xhr.send();
    }

    failed(status) {
      this._status = Status.kError;
      if (this._onError) this._onError(mpegts.LoaderErrors.HTTP_STATUS_CODE_INVALID, {code: status, msg: 'gateway'});
    }

    // Ends the session on the host at once (it would also end by itself once the page stops asking).
    abort() {
      if (this.stopped) return;
      this.stopped = true;
      if (this.request) this.request.abort();
      this._status = Status.kComplete;
      gatewayRequest(HostNames.gatewayClosePath + '?id=' + key).send();
    }

    destroy() {
      this.abort();
      super.destroy();
    }
  };
}
