// Why an address cannot play: the error code the Real object reports for it (the codes the Real
// page's error table knows for "not found" and "cannot locate server") and the words shown to the user.
const Failure = Object.freeze({
  notFound: Object.freeze({
    code: -2147221496, text: 'Cannot play: the server has no stream at this address (not found).'}),
  noHost: Object.freeze({
    code: -2147221433, text: 'Cannot play: the server of this address could not be found.'}),
  refused: Object.freeze({
    code: -2147221428, text: 'Cannot play: the server refused the connection.'}),
  stalled: Object.freeze({
    code: -2147221435, text: 'Cannot play: no data has come from the stream for 15 seconds.'}),
  format: Object.freeze({
    code: -2147221499, text: 'Cannot play: the format or codec of this stream is not supported.'}),
  serverError: Object.freeze({
    code: -2147221502, text: 'Cannot play: the server reported an error.'}),
  crossOrigin: Object.freeze({
    code: -2147221503, text: 'Cannot play: the server does not let players in web pages read this stream.'}),
  selfReference: Object.freeze({
    code: -2147221499, text: 'Cannot play: the playlist refers to itself.'}),
  redirects: Object.freeze({
    code: -2147221502, text: 'Cannot play: too many redirects (the server keeps sending the player elsewhere).'}),
  closed: Object.freeze({
    code: -2147221502, text: 'Cannot play: the server closed the connection.'}),
  liveStopped: Object.freeze({
    code: -2147221435, text: 'Cannot play: the live stream has stopped (its server adds nothing new to it).'}),
  tooLong: Object.freeze({
    code: -2147221496, text: 'Cannot play: the server refused the address as too long (HTTP 414).'}),
  failed: Object.freeze({
    code: -2147467259, text: 'Cannot play this stream.'}),
});

// A scheme that no browser can open (mms:, rtsp:, pnm: ...): reported like an unreachable server.
function unsupportedSchemeFailure(scheme) {
  return Object.freeze({
    code: -2147221417,
    text: 'Cannot play: the ' + scheme + ' protocol of this address is not supported.',
  });
}

// Any other refusal by status (401, 403, 405, 451 ...): reported like a missing stream, in its own words.
function refusedRequestFailure(status) {
  return Object.freeze({
    code: Failure.notFound.code,
    text: 'Cannot play: the server refused the request (HTTP ' + status + ').',
  });
}

// The host's probe of an address (see probeAddress) -> the failure it shows.
function failureFromProbe(probe) {
  switch (probe && probe.outcome) {
    case FailureKind.notFound: return Failure.notFound;
    case FailureKind.noHost: return Failure.noHost;
    case FailureKind.refused: return Failure.refused;
    case FailureKind.timeout: return Failure.stalled;
    case FailureKind.selfReference: return Failure.selfReference;
    case FailureKind.redirects: return Failure.redirects;
    case FailureKind.closed: return Failure.closed;
    case FailureKind.http:
      if (probe.status >= 500) return Failure.serverError;
      if (probe.status === 414) return Failure.tooLong;
      return refusedRequestFailure(probe.status);
    case FailureKind.ok: return Failure.format;
    default: return Failure.failed;
  }
}

// What the host's gateway said about a stream it could not play -> the failure it shows: the code of
// the nearest kind, the gateway's own words.
function failureFromGateway(result) {
  let failure;
  switch (result && result.outcome) {
    case FailureKind.protocol: failure = unsupportedSchemeFailure('this'); break;
    case FailureKind.decoder: case FailureKind.format: failure = Failure.format; break;
    case FailureKind.timeout: failure = Failure.stalled; break;
    case FailureKind.dropped: failure = Failure.closed; break;
    case FailureKind.http: failure = Failure.notFound; break;
    default: failure = failureFromProbe(result); break;
  }
  if (!result || !result.text) return failure;
  return Object.freeze({code: failure.code, text: result.text});
}
