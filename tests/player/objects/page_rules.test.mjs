// The page scripts' pure rules, run with Node's own test runner: how an address is played
// (player/objects/js/address_kind.js) and what a failure the host reports shows
// (player/objects/js/error_codes.js). The scripts define plain names; they run in a context of
// their own, with what they use of a page.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {runInNewContext} from 'node:vm';

const sourceDir = process.env.ZENTAVO_SOURCE_DIR ?? new URL('../../..', import.meta.url).pathname;
const read = (name) => readFileSync(`${sourceDir}/player/objects/js/${name}`, 'utf8');
// The kinds of failure as the host hands them to the scripts (player/contract/host_names.h).
const FailureKind = Object.freeze({
  ok: 'ok', notFound: 'notfound', noHost: 'nohost', refused: 'refused', timeout: 'timeout', closed: 'closed',
  redirects: 'redirects', selfReference: 'selfref', http: 'http', protocol: 'protocol', dropped: 'dropped',
  decoder: 'decoder', format: 'format', error: 'error',
});
const page = {URL, FailureKind, document: {baseURI: 'zvo://page/'}};
const {addressKind, failureFromProbe, failureFromGateway, Failure} = runInNewContext(
  `${read('address_kind.js')}\n${read('error_codes.js')}\n` +
    '({addressKind, failureFromProbe, failureFromGateway, Failure});', page);

test('an address is played by the engine its scheme and extension call for', () => {
  const cases = [
    ['http://h/live.m3u8', 'hls'],
    ['https://h/LIVE.M3U8?token=1', 'hls'],
    ['http://h/stream.ts', 'mpegts'],
    ['http://h/a.m2ts', 'mpegts'],
    ['http://h/show.flv', 'flv'],
    ['http://h/manifest.mpd', 'dash'],
    ['http://h/radio.pls', 'playlist'],
    ['http://h/list.asx', 'playlist'],
    ['http://h/old.wmv', 'gateway'],
    ['http://h/clip.rm', 'gateway'],
    ['mms://h/live', 'gateway'],
    ['RTSP://h/cam', 'gateway'],
    ['rtmp://h/app/key', 'gateway'],
    ['udp://@239.1.1.1:1234', 'gateway'],
    ['UDP://@:1234', 'gateway'],
    ['rtp://@239.1.1.1:5000', 'gateway'],
    ['srt://h:9000?latency=200', 'gateway'],
    ['http://h/radio.mp3', 'native'],
    ['http://h/dir.m3u8/', 'native'],
    ['http://h/stream', 'native'],
    ['data:audio/mp3;base64,AAAA', 'native'],
    ['pnm://h/old', 'unsupported'],
    ['file:///etc/passwd', 'unsupported'],
    ['javascript:alert(1)', 'unsupported'],
    ['', 'invalid'],
    ['   ', 'invalid'],
    [null, 'invalid'],
  ];
  for (const [address, kind] of cases) assert.equal(addressKind(address).kind, kind, String(address));
  assert.equal(addressKind('radio.mp3').url, 'zvo://page/radio.mp3', 'relative to the page');
  assert.equal(addressKind('pnm://h/old').scheme, 'pnm:');
  // The host reads the group form itself: the address reaches it as the list wrote it.
  assert.match(addressKind('udp://@239.1.1.1:1234').url, /^udp:\/\/@?239\.1\.1\.1:1234\/?$/);
});

test('what the host found out about an address shows as the nearest failure', () => {
  const cases = [
    [{outcome: 'notfound'}, Failure.notFound],
    [{outcome: 'nohost'}, Failure.noHost],
    [{outcome: 'refused'}, Failure.refused],
    [{outcome: 'timeout'}, Failure.stalled],
    [{outcome: 'selfref'}, Failure.selfReference],
    [{outcome: 'redirects'}, Failure.redirects],
    [{outcome: 'closed'}, Failure.closed],
    [{outcome: 'http', status: 503}, Failure.serverError],
    [{outcome: 'http', status: 414}, Failure.tooLong],
    [{outcome: 'ok'}, Failure.format],
    [{outcome: 'something new'}, Failure.failed],
    [null, Failure.failed],
  ];
  for (const [probe, failure] of cases) assert.deepEqual(failureFromProbe(probe), failure, JSON.stringify(probe));
  const refused = failureFromProbe({outcome: 'http', status: 403});
  assert.equal(refused.code, Failure.notFound.code);
  assert.equal(refused.text, 'Cannot play: the server refused the request (HTTP 403).');
});

test("the gateway's failure keeps its own words and takes the code of its kind", () => {
  const words = 'Cannot play: the stream broke off.';
  const cases = [
    ['dropped', Failure.closed.code],
    ['decoder', Failure.format.code],
    ['format', Failure.format.code],
    ['timeout', Failure.stalled.code],
    ['http', Failure.notFound.code],
    ['refused', Failure.refused.code],
    ['error', Failure.failed.code],
  ];
  for (const [outcome, code] of cases) {
    assert.deepEqual({...failureFromGateway({outcome, text: words})}, {code, text: words}, outcome);
  }
  assert.deepEqual(failureFromGateway({outcome: 'timeout'}), Failure.stalled, 'no words: the kind\'s own');
  assert.equal(failureFromGateway(null).code, Failure.failed.code);
});
