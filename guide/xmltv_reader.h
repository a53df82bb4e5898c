#pragma once
// Reads an XMLTV document as a stream with libxml2's SAX interface: no node is ever built; the
// fields of each <channel> and <programme> are gathered as UTF-8 bytes into buffers that are used
// again for the next one, and handed on when its end tag comes. Memory stays small whatever the
// size of the document. No DTD is loaded and no entity is expanded: a document whose DTD declares
// entities is refused before its content is read. A document that turns bad part way (cut off, a
// byte that its encoding cannot have, a broken tag) is read up to that point.

#include "guide_input.h"
#include "guide_types.h"

#include <functional>
#include <string>
#include <string_view>

namespace zentavo {

// A programme as the reader hands it on: views into the reader's buffers, good until the handler
// returns.
struct XmltvProgramme {
    std::string_view channel; // the channel attribute: a guide channel id
    std::string_view start, stop; // as written; stop may be empty
    GuideProgrammeTexts texts;
};

struct XmltvHandlers {
    std::function<void(GuideChannel&&)> channel;
    // Asked at each programme's start tag with its channel attribute: false skips the programme,
    // whose texts are then not even gathered. Without it every programme is wanted.
    std::function<bool(std::string_view channel)> wantsProgramme;
    std::function<void(const XmltvProgramme&)> programme;
    // Called before each piece of the document is parsed; false stops the reading (cancelled).
    std::function<bool()> keepGoing;
};

struct XmltvReadResult {
    enum class End {
        Complete, // the whole document was read
        Broken, // read up to a fault: problem and line say where and what
        Refused, // nothing was read: not an XMLTV document, or one that declares entities
        Cancelled,
    };
    End end = End::Complete;
    std::string problem; // in words
    int line = 0; // of the fault, when known
};

XmltvReadResult ReadXmltv(GuideInput& input, const XmltvHandlers& handlers);

} // namespace zentavo
