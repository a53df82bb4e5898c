// Names shared with the host, handed in by it when the scripts are injected (see host_names.h).
const HostNames = Object.freeze(__ZENTAVO_HOST_NAMES__);
