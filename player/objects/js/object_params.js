// The <param> children of a player object, read by name without regard to case.
function objectParam(element, name, fallback) {
  const wanted = name.toLowerCase();
  for (const param of element.querySelectorAll('param')) {
    if ((param.getAttribute('name') || '').toLowerCase() === wanted) return param.getAttribute('value') || '';
  }
  return fallback;
}

// "true", "-1", "1", "yes" and "on" are true; "false", "0", "no", "off" are false.
function flagValue(value, fallback) {
  if (value === undefined || value === null) return fallback;
  if (typeof value === 'boolean') return value;
  if (typeof value === 'number') return value !== 0;
  const text = String(value).trim().toLowerCase();
  if (['true', '-1', '1', 'yes', 'on'].includes(text)) return true;
  if (['false', '0', 'no', 'off', ''].includes(text)) return false;
  return fallback;
}

function fullScreenNotice(on) {
  // The host turns this line into its full screen signal: a click it sends is no user gesture, so
  // the page cannot ask for the real full screen itself.
  console.info(on ? HostNames.fullScreenOn : HostNames.fullScreenOff);
}

// The host hears what the player says (the state in words, the error, the title) from this line, and
// hands it on to assistive technology with the player's name.
function statusNotice(text) {
  console.info(HostNames.statusMarker + text);
}
