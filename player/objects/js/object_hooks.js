// Makes every <object> of a known classid a player as soon as the parser inserts it: the page's
// scripts call its methods right after the element, so the methods live on HTMLObjectElement's
// prototype (creating the player on first use) and a mutation observer creates the player of each
// new element before the next script runs.
const PlayerClasses = new Map([
  ['clsid:cfcdaa03-8be4-11cf-b84b-0020afbbccfa', RealPlayerObject],
  ['clsid:22d6f312-b0f6-11d0-94ab-0080c74c7e95', WindowsMediaPlayerObject],
]);
const ObjectMethods = [
  'setSource', 'SetSource', 'GetSource', 'SetFullScreen', 'GetFullScreen', 'DoPlayPause', 'DoPlay', 'DoPause',
  'DoStop', 'SetVolume', 'GetVolume', 'SetMute', 'GetMute', 'SetEnableContextMenu', 'SetWantErrors',
  'GetLastErrorRMACode', 'Play', 'Pause', 'Stop', 'LeaveFullScreen',
];
const ObjectProperties = ['FileName', 'AutoStart', 'volume', 'Mute', 'DisplaySize', 'ShowStatusBar', 'PlayState'];
const players = new WeakMap();
const livePlayers = new Set();
const plainValues = new WeakMap(); // what the page stores under these names on any other <object>

function playerClassOf(element) {
  return PlayerClasses.get((element.getAttribute('classid') || '').trim().toLowerCase());
}

function playerOf(element) {
  let player = players.get(element);
  if (!player) {
    const PlayerClass = playerClassOf(element);
    if (!PlayerClass) return null;
    player = new PlayerClass(element);
    players.set(element, player);
    livePlayers.add(player);
    // A page that named no address yet (see watchPageAddress) may have it by now.
    preloadLibraryFor(window.srcc);
  }
  return player;
}

function plainStore(element) {
  let store = plainValues.get(element);
  if (!store) plainValues.set(element, store = {});
  return store;
}

function installObjectPrototype() {
  const proto = HTMLObjectElement.prototype;
  for (const name of ObjectMethods) {
    Object.defineProperty(proto, name, {
      configurable: true,
      writable: true,
      value: function (...args) {
        const player = playerOf(this);
        if (!player || typeof player[name] !== 'function') throw new TypeError(name + ' is not a function');
        return player[name](...args);
      },
    });
  }
  for (const name of ObjectProperties) {
    Object.defineProperty(proto, name, {
      configurable: true,
      get() {
        const player = playerOf(this);
        return player ? player[name] : plainStore(this)[name];
      },
      set(value) {
        const player = playerOf(this);
        if (player) player[name] = value;
        else plainStore(this)[name] = value;
      },
    });
  }
}

function upgradeTree(node) {
  if (node.nodeType !== Node.ELEMENT_NODE) return;
  if (node.localName === 'object') playerOf(node);
  for (const element of node.getElementsByTagName('object')) playerOf(element);
  dropFallbackPlugins(node);
}

// A player object's <embed> fallback (the plug-in for other browsers) goes: the document names an
// <object> (document.RPOCX, document.NSPlay) only while it holds no <embed> or <object>.
function dropFallbackPlugins(node) {
  const embeds = node.localName === 'embed' ? [node] : Array.from(node.getElementsByTagName('embed'));
  for (const embed of embeds) {
    const owner = embed.parentElement && embed.parentElement.closest('object');
    if (owner && playerClassOf(owner)) embed.remove();
  }
}

// Once the document is parsed: players for objects the observer did not see, every player's
// parameters read again now that all of them are there, and the picture of a snapshot page watched.
function scanDocument() {
  upgradeTree(document.documentElement || document);
  for (const player of livePlayers) {
    if (player.element.isConnected) player.applyParams();
  }
  watchSnapshot();
}

function leaveFullScreen() {
  for (const player of livePlayers) player.LeaveFullScreen();
}

// What the page's first player plays (see describeEngine), or null when the page has none.
function streamInfo() {
  for (const player of livePlayers) {
    if (player.element.isConnected && player.engine) return describeEngine(player.engine);
  }
  return null;
}

// The sound tracks of what the page's first player plays ({tracks, current}), and the switch to one
// of them (false when there is no such track).
function firstEngine() {
  for (const player of livePlayers) {
    if (player.element.isConnected && player.engine) return player.engine;
  }
  return null;
}

function audioTracks() {
  const engine = firstEngine();
  return engine ? engine.audioTracks() : NoAudioTracks;
}

function selectAudioTrack(index) {
  const engine = firstEngine();
  return engine ? engine.selectAudioTrack(Number(index)) : false;
}

// The start page's key chips ask the host for the channel list on a tab ('tv', 'radio', 'webcams',
// 'favourites').
function openChannelList(tab) {
  console.info(HostNames.channelListMarker + String(tab));
}

// The player pages name their address (page variable srcc) in a script of their head, long before
// the object and the load event: the streaming library it needs starts loading the moment the page
// names it, while the rest of the page is parsed. The variable stays an ordinary one to the page
// (the page's own "var srcc" keeps this property, and reads and writes go through it).
function watchPageAddress() {
  let value;
  Object.defineProperty(window, 'srcc', {
    configurable: true,
    enumerable: true,
    get() {
      return value;
    },
    set(address) {
      value = address;
      preloadLibraryFor(address);
    },
  });
}

function installPlayerObjects() {
  if (window[HostNames.objectsGlobal]) return;
  const players = {real: true, wmp: true};
  Object.defineProperty(players, 'leaveFullScreen', {value: leaveFullScreen});
  Object.defineProperty(players, 'finishProbe', {value: finishProbe});
  Object.defineProperty(players, 'scan', {value: scanDocument});
  Object.defineProperty(players, 'streamInfo', {value: streamInfo});
  Object.defineProperty(players, 'audioTracks', {value: audioTracks});
  Object.defineProperty(players, 'selectAudioTrack', {value: selectAudioTrack});
  Object.defineProperty(players, 'openChannelList', {value: openChannelList});
  Object.defineProperty(window, HostNames.objectsGlobal, {value: Object.freeze(players), enumerable: true});

  installObjectPrototype();
  installPlayerStyle();
  watchPageAddress();
  new MutationObserver((records) => {
    for (const record of records) {
      for (const node of record.addedNodes) upgradeTree(node);
    }
  }).observe(document, {childList: true, subtree: true});
  window.addEventListener('keydown', (event) => {
    if (event.key === 'Escape') leaveFullScreen();
  }, true);
  performance.mark('zentavo-objects');
}

installPlayerObjects();
