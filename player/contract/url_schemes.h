#pragma once
// Every URL scheme of the host, registered in one place. Must run before the QApplication exists.

namespace zentavo {

// The page scheme, the objects' scheme, the two relay schemes and the gateway's scheme, each with
// the syntax and the flags its pages and scripts need. Registering twice changes nothing.
void RegisterPlayerUrlSchemes();

} // namespace zentavo
