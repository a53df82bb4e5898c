// Names shared with the host, handed in by it when the scripts are injected (see host_names.h).
const HostNames = Object.freeze(__ZENTAVO_HOST_NAMES__);
// Why the host could not fetch or play an address (its probe's and its gateway's outcomes).
const FailureKind = Object.freeze(HostNames.failureKinds);
