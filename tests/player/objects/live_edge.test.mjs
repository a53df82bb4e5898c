// The rule that tells a live list that stopped moving on (player/objects/js/live_edge.js), run with
// Node's own test runner. The page script defines plain names; it is run in a context of its own.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {runInNewContext} from 'node:vm';

const sourceDir = process.env.ZENTAVO_SOURCE_DIR ?? new URL('../../..', import.meta.url).pathname;
const script = readFileSync(`${sourceDir}/player/objects/js/live_edge.js`, 'utf8');
const {noteLiveEdge, liveEdgeStopped, furthestLiveEdge} =
  runInNewContext(`${script}\n({noteLiveEdge, liveEdgeStopped, furthestLiveEdge});`, {});

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

test('a stream known by segment ends moves on only with a segment that ends later', () => {
  const cases = [
    // name, observation so far, end of the segment just loaded, edge to note
    ['first segment', null, 12, 12],
    ['a later segment', {edge: 12}, 14, 14],
    ['the same segment again', {edge: 14}, 14, 14],
    ['an older segment (a new try starts behind the edge)', {edge: 14}, 8, 14],
    ['an edge of another kind is not compared', {edge: '7 seg7.ts'}, 8, 8],
  ];
  for (const [name, observation, end, edge] of cases) assert.equal(furthestLiveEdge(observation, end), edge, name);

  // A try that loads the last segments again finds the stream stopped at once.
  let observation = noteLiveEdge(null, 20, 2, 0);
  observation = noteLiveEdge(observation, furthestLiveEdge(observation, 16), 2, 11000);
  observation = noteLiveEdge(observation, furthestLiveEdge(observation, 18), 2, 11500);
  assert.equal(observation.since, 0);
  assert.equal(liveEdgeStopped(observation, 11500), true);
});
