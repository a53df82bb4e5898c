// The host's side of the players, reached through its own URL scheme by script elements (classic
// scripts need no CORS): the streaming libraries, loaded only when an address needs one and only
// once per page, and the probe that resolves playlists and tells why an address cannot be reached.
const HostScheme = HostNames.objectsScheme + ':';
const libraryLoads = new Map();

function appendHostScript(path, onerror) {
  const script = document.createElement('script');
  script.src = HostScheme + path;
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
      const script = appendHostScript('lib/' + file, () => reject(new Error('cannot load ' + file)));
      script.onload = () => {
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
      resolve(result || {outcome: 'error'});
    };
    pendingProbes.set(id, done);
    script = appendHostScript('probe?id=' + id + watch + '&url=' + encodeURIComponent(url),
        () => finishProbe(id, null));
  });
}
