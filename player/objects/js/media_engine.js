// Plays one address on a media element: natively, or through hls.js, mpegts.js or dash.js, after
// resolving playlist files; what none of them opens or decodes plays through the host's media
// gateway (MPEG-TS read by mpegts.js). Reports its state ('connecting', 'buffering', 'playing', 'paused',
// 'stopped', 'reconnecting'), the title of what plays when the stream names one (onTitle), the sound
// tracks of what plays whenever they change (onAudioTracks, see audio_tracks.js) and, once per
// address, the failure that stops it, to its listener.
const StallSeconds = 15;
// A live stream that breaks off is opened again this many times, after growing waits.
const ReconnectWaitsMs = Object.freeze([1000, 2000, 4000]);
// A stream that ever lay further ahead than this in the buffer came faster than it plays: a file,
// whose end is its end, not a live stream that broke off.
const LiveLeadSeconds = 30;
const PlaylistDepth = 4;

// Start-up settings tuned for a short time to the first picture (see bench/zap).
const HlsSettings = Object.freeze({
  lowLatencyMode: false,
  startFragPrefetch: true,
  startLevel: 0,
  enableWorker: false,
  maxBufferLength: 10,
  backBufferLength: 30,
  manifestLoadingMaxRetry: 1,
  levelLoadingMaxRetry: 2,
  fragLoadingMaxRetry: 3,
});
const MpegtsSettings = Object.freeze({
  enableWorker: false,
  enableStashBuffer: false,
  lazyLoad: false,
  liveBufferLatencyChasing: false,
  autoCleanupSourceBuffer: true,
});

// dash.js error codes of failed downloads (manifest, segments, initialisation, index, xlink).
const DashNetworkErrors = new Set([11, 17, 25, 26, 27, 28, 29]);

class MediaEngine {
  constructor(video, listener) {
    this.video = video;
    this.listener = listener;
    this.token = 0;
    this.player = null; // the streaming library's player, or null when playing natively
    this.address = '';
    this.state = 'stopped';
    this.lastActivity = 0;
    this.lastTime = -1;
    this.watchdog = 0;
    // The sound track the gateway plays (its index among the source's sound tracks), -1: its own pick.
    this.gatewayAudio = -1;
    this.toldAudioTracks = JSON.stringify(NoAudioTracks);
    for (const type of ['playing', 'waiting', 'pause', 'ended', 'progress', 'timeupdate', 'loadeddata', 'error']) {
      video.addEventListener(type, (event) => this.onMediaEvent(event));
    }
    // A page that is left lets go of its stream at once: the library's buffers, the media source and
    // the connection do not wait until the engine collects the page.
    window.addEventListener('pagehide', () => this.close());
    if (video.audioTracks) {
      for (const type of ['addtrack', 'removetrack', 'change']) {
        video.audioTracks.addEventListener(type, () => this.noteAudioTracks(this.token));
      }
    }
  }

  // Starts loading the address; plays it as soon as it can when autoplay is set. viaGateway: straight
  // to the host's gateway (an address known to need it).
  open(address, autoplay, viaGateway) {
    this.close();
    this.pausedGateway = '';
    this.pausedReopen = false;
    this.reconnects = 0;
    this.reconnectUrl = '';
    // What the live list of this address last showed, kept across the tries of opening it again: a
    // try that finds the list where it stopped is told at once.
    this.liveEdge = null;
    performance.mark('zentavo-open');
    const token = ++this.token;
    // A sound track chosen for one address is no choice for another.
    if (address !== this.address) this.gatewayAudio = -1;
    this.address = address;
    this.autoplay = autoplay;
    this.failed = false;
    this.setState('connecting');
    this.markActivity();
    this.watchdog = setInterval(() => this.checkStall(token), 1000);
    if (viaGateway) this.openGateway(viaGateway, token).catch(() => this.fail(token, Failure.failed));
    else this.openAddress(address, token, []);
  }

  // Stops and releases whatever plays.
  close() {
    this.token++;
    this.reconnectUrl = '';
    clearInterval(this.watchdog);
    this.watchdog = 0;
    this.titlePending = false;
    if (this.titleKey) gatewayRequest(HostNames.gatewayClosePath + '?id=' + this.titleKey).send();
    this.titleKey = '';
    this.releasePlayer();
    this.setTitle('');
    this.tellAudioTracks(NoAudioTracks);
    if (this.state !== 'stopped') this.setState('stopped');
  }

  play() {
    if (this.failed) return;
    if (!this.address) return;
    if (this.pausedGateway) {
      this.open(this.address, true, this.pausedGateway);
      return;
    }
    if (this.pausedReopen) {
      this.open(this.address, true);
      return;
    }
    if (this.state === 'stopped') {
      this.open(this.address, true);
      return;
    }
    this.autoplay = true;
    this.markActivity();
    this.startPlayback();
  }

  pause() {
    this.autoplay = false;
    const gateway = this.player && this.player.kind === 'gateway' ? this.player.url : this.reconnectUrl;
    if (gateway) {
      // A paused gateway stream ends its session on the host (live sources are not held open), and
      // stops any reconnecting.
      const address = gateway;
      this.close();
      this.pausedGateway = address;
      this.setState('paused');
      return;
    }
    if (this.state === 'reconnecting') {
      // Pausing a stream that the page is opening again stops the tries; Play starts afresh.
      this.close();
      this.pausedReopen = true;
      this.setState('paused');
      return;
    }
    if (this.player && this.player.kind === 'mpegts') this.player.instance.pause();
    else this.video.pause();
  }

  isPaused() {
    return this.video.paused;
  }

  // --- opening ---

  // seen: the playlists that led here, so that a playlist naming one of them is told as a loop.
  async openAddress(address, token, seen) {
    const target = addressKind(address);
    try {
      switch (target.kind) {
        case 'invalid': return this.fail(token, Failure.noHost);
        case 'unsupported': return this.fail(token, unsupportedSchemeFailure(target.scheme));
        case 'gateway': return await this.openGateway(target.url, token);
        case 'playlist': return await this.openPlaylist(target.url, token, seen);
        case 'hls': return await this.openHls(target.url, token);
        case 'mpegts': return await this.openMpegts(target.url, token, 'mpegts');
        case 'flv': return await this.openMpegts(target.url, token, 'flv');
        case 'dash': return await this.openDash(target.url, token);
        default: return this.openNative(target.url, token);
      }
    } catch (error) {
      console.warn('zentavo: cannot play ' + address + ': ' + error);
      this.fail(token, Failure.failed);
    }
  }

  async openPlaylist(url, token, seen) {
    const probe = await probeAddress(url);
    if (token !== this.token) return;
    this.markActivity();
    if (probe.outcome !== FailureKind.ok) return this.fail(token, failureFromProbe(probe));
    if (probe.kind === 'hls') return this.openHls(url, token);
    if (probe.kind === 'playlist' && probe.entry) {
      const chain = seen.concat([url]);
      if (chain.includes(probe.entry)) return this.fail(token, Failure.selfReference);
      if (chain.length > PlaylistDepth) return this.fail(token, Failure.format);
      return this.openAddress(probe.entry, token, chain);
    }
    if (probe.kind === 'media') return this.openNative(url, token);
    return this.fail(token, Failure.format);
  }

  openNative(url, token) {
    if (token !== this.token) return;
    this.player = {kind: 'native', url};
    performance.mark('zentavo-attach');
    this.video.src = url;
    this.startPlayback();
  }

  // relay: read the playlists and segments through the host (a server without CORS consent).
  async openHls(url, token, relay) {
    const Hls = await loadLibrary('hls.js', 'Hls');
    if (token !== this.token) return;
    if (!Hls.isSupported()) return this.openNative(url, token);
    const settings = Object.assign({}, HlsSettings);
    if (relay) {
      settings.xhrSetup = (xhr, address) => {
        if (/^https?:/i.test(address)) xhr.open('GET', relayAddress(address), true);
      };
    }
    const hls = new Hls(settings);
    this.player = {kind: 'hls', url, instance: hls};
    let mediaRecoveries = 0;
    // Only a segment newer than any before is new media: a live list that no longer moves on has
    // its last segments loaded again and again.
    let newestSegment = -Infinity;
    hls.on(Hls.Events.FRAG_LOADED, (event, data) => {
      const sn = data && data.frag && data.frag.sn;
      if (typeof sn === 'number' && sn <= newestSegment) return;
      if (typeof sn === 'number') newestSegment = sn;
      this.markActivity();
    });
    hls.on(Hls.Events.MANIFEST_LOADED, () => this.markActivity());
    hls.on(Hls.Events.AUDIO_TRACKS_UPDATED, () => this.noteAudioTracks(token));
    hls.on(Hls.Events.AUDIO_TRACK_SWITCHED, () => this.noteAudioTracks(token));
    hls.on(Hls.Events.LEVEL_LOADED, (event, data) => {
      const details = data && data.details;
      if (token !== this.token || !details || !details.live) return;
      const last = details.fragments && details.fragments[details.fragments.length - 1];
      this.watchLiveEdge(token, details.endSN + ' ' + (last ? last.url : ''), details.targetduration);
    });
    hls.on(Hls.Events.ERROR, (event, data) => {
      if (!data || !data.fatal || token !== this.token) return;
      if (data.type === Hls.ErrorTypes.MEDIA_ERROR && mediaRecoveries++ < 1) {
        hls.recoverMediaError();
        return;
      }
      if (data.type === Hls.ErrorTypes.NETWORK_ERROR) {
        if (this.player && this.player.played) return this.breakOff(token);
        const code = data.response && data.response.code;
        const failedUrl = (data.context && data.context.url) || url;
        if (!relay && !code) return this.retryThroughHost(token, url, failedUrl, 'hls');
        return this.failFromNetwork(token, relay ? realAddress(failedUrl) : failedUrl, code, !relay);
      }
      // The host's look at the playlist tells a playlist that names itself from a format it cannot read.
      this.diagnose(token, url);
    });
    performance.mark('zentavo-attach');
    hls.loadSource(relay ? relayAddress(url) : url);
    hls.attachMedia(this.video);
    this.startPlayback();
  }

  // A library's read failed without an answer: when the host can read the address, the server only
  // refused the page's cross-origin read, and the stream plays through the host.
  async retryThroughHost(token, url, failedUrl, kind) {
    const probe = await probeAddress(failedUrl);
    if (token !== this.token || this.failed) return;
    if (!probe || probe.outcome !== FailureKind.ok) return this.fail(token, failureFromProbe(probe));
    this.releasePlayer();
    this.markActivity();
    try {
      if (kind === 'dash') await this.openDash(url, token, true);
      else await this.openHls(url, token, true);
    } catch (error) {
      this.fail(token, Failure.failed);
    }
  }

  async openMpegts(url, token, type) {
    const mpegts = await loadLibrary('mpegts.js', 'mpegts');
    if (token !== this.token) return;
    if (!mpegts.isSupported()) return this.fail(token, Failure.format);
    const player = mpegts.createPlayer({type, isLive: true, url}, Object.assign({}, MpegtsSettings));
    this.player = {kind: 'mpegts', url, container: type, instance: player};
    player.on(mpegts.Events.STATISTICS_INFO, (info) => {
      if (info && info.speed > 0) this.markActivity();
    });
    // The library plays H.264 and HEVC pictures only and passes over any other kind in silence: a
    // stream that starts without a picture, and one with a picture the library skipped, plays through
    // the gateway. The library plays the first sound track only; the others are told, and one chosen
    // plays through the gateway.
    // The stream's head is read a second time for that: with a picture that decodes, only once the
    // first picture shows, so that the second read does not hold it back.
    if (type === 'mpegts') {
      this.video.addEventListener('loadedmetadata', () => {
        if (token !== this.token) return;
        const readStreams = async () => {
          if (token !== this.token) return;
          const streams = await readTransportStreams(url);
          if (token !== this.token || this.failed || !this.player || this.player.kind !== 'mpegts') return;
          if (!this.video.videoWidth && hasUndecodableVideo(streams)) return this.playThroughGateway(token, url);
          this.player.audioStreams = transportStreamAudio(streams);
          this.noteAudioTracks(token);
        };
        if (this.video.videoWidth) whenPictureShows(this.video, readStreams);
        else readStreams();
      }, {once: true});
    }
    player.on(mpegts.Events.ERROR, (type, detail, info) => {
      if (token !== this.token) return;
      if (type === mpegts.ErrorTypes.NETWORK_ERROR && this.player && this.player.played) return this.breakOff(token);
      if (type === mpegts.ErrorTypes.NETWORK_ERROR) return this.failFromNetwork(token, url, info && info.code, true);
      // A codec that the page cannot decode: the gateway transcodes it.
      this.playThroughGateway(token, url);
    });
    performance.mark('zentavo-attach');
    player.attachMediaElement(this.video);
    player.load();
    this.startPlayback();
  }

  // The host's gateway opens the address with FFmpeg and hands over MPEG-TS of codecs the page
  // decodes; one read of it is one session on the host, ended by ending the read.
  async openGateway(url, token) {
    const mpegts = await loadLibrary('mpegts.js', 'mpegts');
    if (token !== this.token) return;
    if (!mpegts.isSupported()) return this.fail(token, Failure.format);
    const key = gatewayKey();
    const source = {type: 'mpegts', isLive: true, url: HostNames.gatewayScheme + ':' + HostNames.gatewayChunkPath + '?id=' + key};
    // Why the host's session failed, as its last answer said (none: the request itself failed).
    let failure = null;
    const loader = gatewayLoaderClass(mpegts, key, url, (result) => {
      failure = result;
    }, this.gatewayAudio);
    const settings = Object.assign({customLoader: loader}, MpegtsSettings);
    const player = mpegts.createPlayer(source, settings);
    this.player = {kind: 'gateway', url, key, instance: player};
    player.on(mpegts.Events.STATISTICS_INFO, (info) => {
      if (info && info.speed > 0) this.markActivity();
    });
    player.on(mpegts.Events.ERROR, (type) => {
      if (token !== this.token || this.failed) return;
      if (type !== mpegts.ErrorTypes.NETWORK_ERROR) return this.fail(token, Failure.format);
      const result = failure || {outcome: FailureKind.error};
      const outcome = result.outcome;
      const brokeOff = outcome === FailureKind.dropped || (this.player && this.player.played && outcome === FailureKind.timeout);
      const retrying = this.reconnects > 0 && outcome !== FailureKind.protocol;
      if ((brokeOff || retrying) && this.reconnects < ReconnectWaitsMs.length) return this.reconnect(token, url);
      this.fail(token, failureFromGateway(result));
    });
    performance.mark('zentavo-attach');
    player.attachMediaElement(this.video);
    player.load();
    this.startPlayback();
  }

  // A live stream on the page's own engines that played and then broke off (the server closed, a read
  // failed, nothing came for a while) is opened again from its address, like the gateway's; failure:
  // what is told when no try is left.
  breakOff(token, failure = Failure.closed) {
    if (token !== this.token || this.failed) return;
    if (this.reconnects < ReconnectWaitsMs.length) return this.reopen(token);
    this.fail(token, failure);
  }

  // Another look at the live list of what plays (see live_edge.js): a list that stopped moving on is a
  // broken stream, opened again like one that broke off, and told in words when no try brings it back.
  watchLiveEdge(token, edge, targetSeconds) {
    if (token !== this.token || this.failed || !this.player) return;
    this.liveEdge = noteLiveEdge(this.liveEdge, edge, targetSeconds, Date.now());
    this.player.watchesLiveEdge = true;
    // A paused or stopped page leaves the list alone (the watchdog does the same).
    if (['connecting', 'buffering', 'playing', 'reconnecting'].includes(this.state)) this.checkLiveEdge(token);
  }

  // Whether the live list that this try looked at has stopped moving on; breaks the stream off if so.
  checkLiveEdge(token) {
    if (!this.player || !this.player.watchesLiveEdge || !liveEdgeStopped(this.liveEdge, Date.now())) return false;
    console.warn('zentavo: the live list of ' + this.address + ' has stopped moving on');
    this.breakOff(token, Failure.liveStopped);
    return true;
  }

  // Opens the address again after a wait, as a new try (callbacks of the broken-off one are ignored);
  // pause and a new channel stop it.
  reopen(token) {
    const wait = ReconnectWaitsMs[this.reconnects++];
    this.releasePlayer();
    this.setState('reconnecting');
    setTimeout(() => {
      if (token !== this.token || this.failed) return;
      const next = ++this.token;
      clearInterval(this.watchdog);
      this.markActivity();
      this.watchdog = setInterval(() => this.checkStall(next), 1000);
      this.openAddress(this.address, next, []);
    }, wait);
  }

  // Whether what plays on the page's own engines is live: it had no end of its own (no length, or an
  // HLS or DASH playlist that goes on) and never came much faster than it plays.
  isLive() {
    const player = this.player;
    if (!player || player.kind === 'gateway' || player.maxLead > LiveLeadSeconds) return false;
    try {
      if (player.kind === 'hls') {
        const level = player.instance.levels[player.instance.currentLevel];
        return !!(level && level.details && level.details.live);
      }
      if (player.kind === 'dash') return player.instance.isDynamic();
    } catch (e) {
      return false;
    }
    // The media element learns a length when a stream without one ends: what counts is how it played.
    return player.kind === 'mpegts' || !!player.noLength;
  }

  // Opens a broken-off gateway stream again after a wait; pause and a new channel (a new token) stop it.
  reconnect(token, url) {
    const wait = ReconnectWaitsMs[this.reconnects++];
    this.releasePlayer();
    this.reconnectUrl = url;
    this.setState('reconnecting');
    setTimeout(() => {
      if (token !== this.token || this.failed) return;
      this.reconnectUrl = '';
      this.markActivity();
      this.openGateway(url, token).catch(() => this.fail(token, Failure.failed));
    }, wait);
  }

  // The page's own engines could not play an address that the host reads: the gateway plays it.
  async playThroughGateway(token, url) {
    this.releasePlayer();
    this.markActivity();
    try {
      await this.openGateway(url, token);
    } catch (error) {
      this.fail(token, Failure.failed);
    }
  }

  async openDash(url, token, relay) {
    const dashjs = await loadLibrary('dash.js', 'dashjs');
    if (token !== this.token) return;
    const player = dashjs.MediaPlayer().create();
    this.player = {kind: 'dash', url, instance: player};
    player.updateSettings({debug: {logLevel: dashjs.Debug.LOG_LEVEL_NONE}});
    if (relay) {
      player.addRequestInterceptor((request) => {
        request.url = relayAddress(request.url);
        return Promise.resolve(request);
      });
    }
    const events = dashjs.MediaPlayer.events;
    // dash.js tells of a live manifest when it first loads it, not of its refreshes: what shows a live
    // stream moving on is a segment that ends later than any before, in this try or an earlier one;
    // the same segments loaded again are no new media.
    player.on(events.FRAGMENT_LOADING_COMPLETED, (event) => {
      const request = event && event.request;
      if (token !== this.token || !request || request.type !== 'MediaSegment') return this.markActivity();
      const end = request.startTime + request.duration;
      if (!isLiveDash(player) || !isFinite(end)) return this.markActivity();
      // Out of dash.js's own event: a stream broken off here is torn down after dash.js is done with it.
      setTimeout(() => {
        if (token !== this.token) return;
        const newest = furthestLiveEdge(this.liveEdge, end);
        if (!this.liveEdge || newest !== this.liveEdge.edge) this.markActivity();
        this.watchLiveEdge(token, newest, request.duration);
      }, 0);
    });
    player.on(events.STREAM_INITIALIZED, () => this.noteAudioTracks(token));
    player.on(events.TRACK_CHANGE_RENDERED, () => this.noteAudioTracks(token));
    player.on(events.ERROR, (event) => {
      if (token !== this.token) return;
      const error = (event && event.error) || {};
      if (!DashNetworkErrors.has(error.code)) {
        console.warn('zentavo: dash.js cannot play ' + url + ': ' + error.code + ' ' + error.message);
        return this.fail(token, Failure.format);
      }
      const code = error.data && error.data.response && error.data.response.status;
      if (!relay && !code) return this.retryThroughHost(token, url, url, 'dash');
      this.failFromNetwork(token, url, code, !relay);
    });
    performance.mark('zentavo-attach');
    player.initialize(this.video, url, false);
    this.startPlayback();
  }

  startPlayback() {
    if (!this.autoplay) {
      if (this.state === 'connecting') this.setState('stopped');
      return;
    }
    let started;
    if (usesMpegts(this.player)) started = this.player.instance.play();
    else started = this.video.play();
    if (started && started.catch) {
      started.catch((error) => {
        if (error && error.name === 'NotAllowedError') this.listener.onNeedsGesture();
      });
    }
  }

  releasePlayer() {
    const player = this.player;
    this.player = null;
    if (!player) return;
    try {
      if (player.kind === 'hls') player.instance.destroy();
      else if (usesMpegts(player)) {
        player.instance.unload();
        player.instance.detachMediaElement();
        player.instance.destroy();
      } else if (player.kind === 'dash') player.instance.reset();
    } catch (e) {
      // A library that fails to tear down must not keep the next address from playing.
    }
    this.video.removeAttribute('src');
    try {
      this.video.load();
    } catch (e) {
      // Nothing to release.
    }
  }

  // --- state and failures ---

  onMediaEvent(event) {
    const token = this.token;
    switch (event.type) {
      case 'playing':
        // A stream let go of (on the way to opening it again) may still tell of what it had buffered.
        if (!this.player) break;
        this.markActivity();
        this.player.played = true;
        // Old segments of a list that stopped moving on do not make the stream whole again.
        if (!liveEdgeStopped(this.liveEdge, Date.now())) this.reconnects = 0;
        this.setState('playing');
        this.askGatewayAudioTracks(token);
        break;
      case 'waiting': if (this.state === 'playing') this.setState('buffering'); break;
      case 'pause':
        // The element pauses as it reaches the end: that is the end, told below, not a pause. So does
        // a try at opening a broken-off stream again that fails.
        if (this.failed || !this.player || this.video.ended) break;
        if (this.state !== 'stopped' && this.state !== 'reconnecting') this.setState('paused');
        break;
      case 'ended':
        if (this.player && this.player.played && this.isLive()) this.breakOff(token);
        else this.setState('stopped');
        break;
      case 'progress': case 'loadeddata': this.markActivity(); this.noteLead(); break;
      case 'timeupdate':
        // Time that moves on is activity; a jump back (the same segments played again) is not.
        if (this.video.currentTime > this.lastTime) this.markActivity();
        this.lastTime = this.video.currentTime;
        this.noteLead();
        break;
      case 'error':
        if (this.player && this.player.kind === 'native' && this.video.getAttribute('src')) {
          if (this.player.played) return this.breakOff(token);
          const url = this.player.url;
          this.diagnose(token, url);
        }
        break;
    }
  }

  markActivity() {
    this.lastActivity = Date.now();
  }

  // Remembers how far ahead of the play position the stream has ever been buffered, and whether it
  // played without a length.
  noteLead() {
    const buffered = this.video.buffered;
    if (!this.player || !buffered.length) return;
    if (!isFinite(this.video.duration)) this.player.noLength = true;
    const lead = buffered.end(buffered.length - 1) - this.video.currentTime;
    this.player.maxLead = Math.max(this.player.maxLead || 0, lead);
  }

  checkStall(token) {
    if (token !== this.token || this.failed) return;
    this.pollTitle(token);
    const trying = this.state === 'reconnecting' && this.player;
    if (this.state !== 'connecting' && this.state !== 'buffering' && this.state !== 'playing' && !trying) return;
    if (this.state === 'connecting' && !this.autoplay) return;
    if (this.checkLiveEdge(token)) return;
    if (Date.now() - this.lastActivity < StallSeconds * 1000) return;
    if (this.player && this.player.played && this.player.kind !== 'gateway') this.breakOff(token);
    else this.fail(token, Failure.stalled);
  }

  // Asks the host for the title of what plays, every other second: of the gateway's session, or, for
  // a sound-only http(s) stream the page plays itself, of a reader of its radio titles that the host
  // keeps while these questions come (a paused or left page stops asking, and the reader ends).
  pollTitle(token) {
    if (this.titlePending) return;
    const player = this.player;
    let path = '';
    if (player && player.kind === 'gateway' && player.key) {
      path = HostNames.gatewayTitlePath + '?id=' + player.key;
    } else if (player && player.kind === 'native' && this.state === 'playing' && !this.video.videoWidth &&
               /^https?:/i.test(this.video.currentSrc)) {
      if (!this.titleKey) this.titleKey = gatewayKey();
      path = HostNames.gatewayTitlePath + '?id=' + this.titleKey + '&url=' + encodeURIComponent(this.video.currentSrc);
    }
    if (!path) return;
    this.titleTick = (this.titleTick || 0) + 1;
    if (this.titleTick % 2) return;
    const xhr = gatewayRequest(path);
    this.titlePending = true;
    xhr.onloadend = () => {
      this.titlePending = false;
      if (token !== this.token || xhr.status !== 200) return;
      this.setTitle(xhr.responseText);
    };
    xhr.send();
  }

  setTitle(title) {
    if ((this.title || '') === title) return;
    this.title = title;
    this.listener.onTitle(title);
  }

  // A streaming library could not load an address; crossOriginRead: the page read it itself (a
  // cross-origin read), not through the host.
  failFromNetwork(token, url, status, crossOriginRead) {
    if (status === 404 || status === 410) return this.fail(token, Failure.notFound);
    if (status >= 500) return this.fail(token, Failure.serverError);
    this.diagnose(token, url, crossOriginRead);
  }

  // The page cannot see why a load failed: the host fetches the address and says. A stream that the
  // host reads fine but the page could not play (a format or codec it cannot decode, a server
  // refusing the page's cross-origin reads) plays through the gateway.
  async diagnose(token, url, crossOriginRead) {
    if (token !== this.token || this.failed) return;
    const player = this.player;
    const probe = await probeAddress(url, {watch: true});
    if (token !== this.token || this.failed) return;
    if (probe && probe.outcome === FailureKind.ok && player && player.kind !== 'gateway') {
      return this.playThroughGateway(token, player.url);
    }
    const failure = failureFromProbe(probe);
    this.fail(token, crossOriginRead && probe && probe.outcome === FailureKind.ok ? Failure.crossOrigin : failure);
  }

  fail(token, failure) {
    if (token !== this.token || this.failed) return;
    // A try at opening a broken-off stream again failed: the next try follows, until none is left.
    if (this.reconnects > 0 && this.reconnects < ReconnectWaitsMs.length && mayRetry(failure)) {
      return this.reopen(token);
    }
    this.failed = true;
    clearInterval(this.watchdog);
    this.watchdog = 0;
    this.releasePlayer();
    this.tellAudioTracks(NoAudioTracks);
    this.state = 'failed';
    this.listener.onFailure(failure);
  }

  // --- sound tracks ---

  // The sound tracks of what plays and the one that plays (see audio_tracks.js).
  audioTracks() {
    const player = this.player;
    if (!player || this.failed) return NoAudioTracks;
    try {
      switch (player.kind) {
        case 'hls': return hlsAudioTracks(player.instance);
        case 'dash': return dashAudioTracks(player.instance);
        case 'mpegts': return player.audioStreams ? trackList(player.audioStreams.tracks, player.audioStreams.current) : NoAudioTracks;
        case 'gateway': return player.audioTracks || NoAudioTracks;
        default: return elementAudioTracks(this.video);
      }
    } catch (error) {
      return NoAudioTracks;
    }
  }

  // Plays the sound track at that index of audioTracks(); false when there is no such track. A stream
  // that mpegts.js plays (the first sound track only) or the gateway plays is opened again through the
  // gateway, which picks the track.
  selectAudioTrack(index) {
    const player = this.player;
    const list = this.audioTracks();
    if (!player || !Number.isInteger(index) || index < 0 || index >= list.tracks.length) return false;
    if (index === list.current) return true;
    const token = this.token;
    switch (player.kind) {
      case 'hls':
        player.instance.audioTrack = index;
        break;
      case 'dash':
        player.instance.setCurrentTrack(player.instance.getTracksFor('audio')[index]);
        break;
      case 'mpegts':
      case 'gateway':
        this.gatewayAudio = index;
        this.playThroughGateway(token, player.url);
        return true;
      default:
        if (!selectElementAudioTrack(this.video, index)) return false;
    }
    this.noteAudioTracks(token);
    return true;
  }

  noteAudioTracks(token) {
    if (token === this.token) this.tellAudioTracks(this.audioTracks());
  }

  tellAudioTracks(list) {
    const text = JSON.stringify(list);
    if (text === this.toldAudioTracks) return;
    this.toldAudioTracks = text;
    if (this.listener.onAudioTracks) this.listener.onAudioTracks(list);
  }

  // The gateway's session knows its source's sound tracks once it plays: asked once per session.
  askGatewayAudioTracks(token) {
    const player = this.player;
    if (!player || player.kind !== 'gateway' || player.tracksAsked) return;
    player.tracksAsked = true;
    gatewayAudioTracks(player.key).then((list) => {
      if (token !== this.token || this.player !== player) return;
      player.audioTracks = list;
      this.noteAudioTracks(token);
    });
  }

  setState(state) {
    if (this.state === state) return;
    this.state = state;
    this.listener.onState(state);
  }
}

// Whether a stream that failed this way may come back: the server went away or the network broke,
// not an address, a format or a protocol that no try will change.
function mayRetry(failure) {
  return failure !== Failure.format && failure !== Failure.selfReference && failure !== Failure.redirects &&
    failure !== Failure.tooLong && failure.code !== unsupportedSchemeFailure('').code;
}

// Whether dash.js plays a live (dynamic) manifest; false while it cannot tell yet.
function isLiveDash(player) {
  try {
    return player.isDynamic();
  } catch (e) {
    return false;
  }
}

// Calls back once, when the element's first picture has been drawn (without the frame callback:
// when it plays), or at the latest after a second (a paused element may draw nothing more).
function whenPictureShows(video, callback) {
  let called = false;
  const once = () => {
    if (called) return;
    called = true;
    clearTimeout(timer);
    video.removeEventListener('playing', once);
    callback();
  };
  const timer = setTimeout(once, 1000);
  if (video.requestVideoFrameCallback) video.requestVideoFrameCallback(once);
  else video.addEventListener('playing', once);
}

// Whether the player reads through mpegts.js (which has its own play and pause).
function usesMpegts(player) {
  return !!player && (player.kind === 'mpegts' || player.kind === 'gateway');
}
