// Whether a live stream still grows: a live HLS playlist or DASH manifest names its newest segment,
// and a server whose source died goes on serving the same list (the same last segments, again and
// again) without ever saying that it ended. A list whose newest segment has not changed for
// LiveEdgeTargets segment durations (and at least LiveEdgeFloorSeconds, so that a server slow to
// write its list is not taken for a dead one) has stopped: the stream is broken.
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

// The edge of a DASH manifest as dash.js parses it: where each SegmentTimeline ends (in its own
// timescale), and the longest segment in seconds. null for a manifest without a timeline, whose
// segments are reckoned from the clock (a dead source there shows as segments that are missing).
function dashTimelineEdge(manifest) {
  const ends = [];
  let longest = 0;
  const visit = (node, timescale, depth) => {
    if (!node || typeof node !== 'object' || depth > 8) return;
    if (Array.isArray(node)) {
      for (const item of node) visit(item, timescale, depth + 1);
      return;
    }
    const scale = Number(node.timescale) > 0 ? Number(node.timescale) : timescale;
    const timeline = node.SegmentTimeline;
    if (timeline && Array.isArray(timeline.S)) {
      let time = 0;
      for (const s of timeline.S) {
        if (s.t !== undefined && isFinite(Number(s.t))) time = Number(s.t);
        const duration = Number(s.d) || 0;
        // r = -1 repeats up to the next period: counted once, its growth shows in later segments.
        const repeats = Number(s.r) > 0 ? Number(s.r) : 0;
        time += duration * (repeats + 1);
        longest = Math.max(longest, duration / scale);
      }
      ends.push(time);
    }
    for (const key of ['Period', 'AdaptationSet', 'Representation', 'SegmentTemplate']) {
      if (node[key]) visit(node[key], scale, depth + 1);
    }
  };
  visit(manifest, 1, 0);
  if (!ends.length) return null;
  return {edge: ends.join(' '), targetSeconds: longest};
}
