// Whether a live stream still grows: a live HLS playlist names its newest segment (a live DASH stream
// shows it by the segments it loads), and a server whose source died goes on serving the same list
// (the same last segments, again and again) without ever saying that it ended. A list whose newest
// segment has not changed for LiveEdgeTargets segment durations (and at least LiveEdgeFloorSeconds,
// so that a server slow to write its list is not taken for a dead one) has stopped: the stream is
// broken.
// These functions are pure: the engine passes in what it saw and the time.
const LiveEdgeTargets = 3;
const LiveEdgeFloorSeconds = 10;
// A list that does not say how long its segments last is given this much per segment.
const LiveEdgeDefaultTargetSeconds = 10;

// What the engine knows after another look at a live list: edge, a value that changes whenever the
// list gains a segment (its last segment's number and address); targetSeconds, the longest a
// segment lasts; now, the time in ms. An edge already seen keeps the time it was first seen.
function noteLiveEdge(previous, edge, targetSeconds, now) {
  const since = previous && previous.edge === edge ? previous.since : now;
  return Object.freeze({edge, since, targetSeconds});
}

// Whether the list of this observation has stopped moving on, at the time now (ms).
function liveEdgeStopped(observation, now) {
  if (!observation) return false;
  const target = observation.targetSeconds > 0 && isFinite(observation.targetSeconds)
    ? observation.targetSeconds : LiveEdgeDefaultTargetSeconds;
  const limitMs = Math.max(LiveEdgeTargets * target, LiveEdgeFloorSeconds) * 1000;
  return now - observation.since >= limitMs;
}

// The edge of a live stream known by where its newest segment ends (a DASH stream, whose segments
// are known by time): the furthest end seen so far, in this try of opening it or an earlier one, so
// that a try that loads the same old segments again does not count as moving on.
function furthestLiveEdge(observation, end) {
  return observation && typeof observation.edge === 'number' ? Math.max(observation.edge, end) : end;
}
