// The rule that tells a live list that stopped moving on (player/objects/js/live_edge.js), run with
// Node's own test runner. The page script defines plain names; it is run in a context of its own
// (whose objects are copied into this one before a deep comparison).
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {runInNewContext} from 'node:vm';

const sourceDir = process.env.ZENTAVO_SOURCE_DIR ?? new URL('../../..', import.meta.url).pathname;
const script = readFileSync(`${sourceDir}/player/objects/js/live_edge.js`, 'utf8');
const {noteLiveEdge, liveEdgeStopped, dashTimelineEdge} =
  runInNewContext(`${script}\n({noteLiveEdge, liveEdgeStopped, dashTimelineEdge});`, {});

// Looks at a list at these times (ms), with these edges; returns the observation after the last look.
function watch(looks, targetSeconds) {
  let observation = null;
  for (const [now, edge] of looks) observation = noteLiveEdge(observation, edge, targetSeconds, now);
  return observation;
}

test('a list that stopped moving on is told after three segment durations, with a floor', () => {
  const cases = [
    // name, target duration (s), edge unchanged since (ms), now (ms), stopped
    ['4 s segments, 11.9 s unchanged', 4, 0, 11999, false],
    ['4 s segments, 12 s unchanged', 4, 0, 12000, true],
    ['1 s segments wait for the floor', 1, 0, 9999, false],
    ['1 s segments, floor reached', 1, 0, 10000, true],
    ['10 s segments, 29 s unchanged', 10, 0, 29000, false],
    ['10 s segments, 30 s unchanged', 10, 0, 30000, true],
    ['no duration: ten seconds per segment', undefined, 0, 29000, false],
    ['no duration, 30 s unchanged', undefined, 0, 30000, true],
    ['a nonsense duration counts as none', NaN, 0, 30000, true],
    ['a negative duration counts as none', -2, 0, 12000, false],
  ];
  for (const [name, target, since, now, stopped] of cases) {
    const observation = noteLiveEdge(null, '7 seg7.ts', target, since);
    assert.equal(liveEdgeStopped(observation, now), stopped, name);
  }
  assert.equal(liveEdgeStopped(null, 1e12), false, 'nothing seen yet');
});

test('polls of the same list do not count as moving on; a new segment does', () => {
  // Polled every second for 20 s, the last segment never changes: stopped, counted from the first look.
  const frozen = watch(Array.from({length: 21}, (_, i) => [i * 1000, '12 seg12.ts']), 2);
  assert.equal(frozen.since, 0);
  assert.equal(liveEdgeStopped(frozen, 20000), true);

  // A segment every 2 s: never stopped, however long it plays.
  const looks = Array.from({length: 60}, (_, i) => [i * 1000, `${Math.floor(i / 2)} seg.ts`]);
  const moving = watch(looks, 2);
  assert.equal(liveEdgeStopped(moving, 59000), false);
  assert.equal(moving.since, 58000);

  // The same number with another address (the source started again from zero) is a new segment.
  const restarted = watch([[0, '3 a/seg3.ts'], [9000, '3 b/seg3.ts']], 1);
  assert.equal(restarted.since, 9000);
  assert.equal(liveEdgeStopped(restarted, 12000), false);
});

test('an observation kept across tries tells a try that finds the same list at once', () => {
  const before = watch([[0, '40 seg40.ts'], [10000, '40 seg40.ts']], 1);
  assert.equal(liveEdgeStopped(before, 10000), true);
  const nextTry = noteLiveEdge(before, '40 seg40.ts', 1, 11500);
  assert.equal(liveEdgeStopped(nextTry, 11500), true);
  const cameBack = noteLiveEdge(before, '0 seg0.ts', 1, 11500);
  assert.equal(liveEdgeStopped(cameBack, 11500), false);
});

test('the edge of a DASH manifest is where its timelines end', () => {
  // Shaped as dash.js parses ffmpeg's live manifests: one template per representation.
  const representation = (timescale, segments) =>
    ({SegmentTemplate: {timescale, SegmentTimeline: {S: segments}}});
  const manifest = (video, audio) => ({
    type: 'dynamic',
    Period: [{AdaptationSet: [{Representation: [video]}, {Representation: [audio]}]}],
  });
  const first = dashTimelineEdge(manifest(
    representation(90000, [{t: 900000, d: 180000, r: 2}]), // 3 segments of 2 s from 10 s
    representation(48000, [{t: 480000, d: 96000}, {d: 96000}]),
  ));
  assert.deepEqual({...first}, {edge: `${900000 + 3 * 180000} ${480000 + 2 * 96000}`, targetSeconds: 2});

  const grown = dashTimelineEdge(manifest(
    representation(90000, [{t: 900000, d: 180000, r: 3}]),
    representation(48000, [{t: 480000, d: 96000}, {d: 96000}]),
  ));
  assert.notEqual(grown.edge, first.edge, 'one more video segment');

  // A template on the adaptation set gives its timescale to the timeline below it.
  const inherited = dashTimelineEdge({Period: [{AdaptationSet: [{
    SegmentTemplate: {timescale: 1000, SegmentTimeline: {S: [{t: 0, d: 4000, r: -1}]}},
    Representation: [{id: 'v'}],
  }]}]});
  assert.deepEqual({...inherited}, {edge: '4000', targetSeconds: 4});

  assert.equal(dashTimelineEdge({Period: [{AdaptationSet: [{SegmentTemplate: {duration: 2}}]}]}), null,
    'segments reckoned from the clock');
  assert.equal(dashTimelineEdge(null), null);
});
