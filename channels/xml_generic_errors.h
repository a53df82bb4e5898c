#pragma once
// libxml2 reports some faults (bytes the declared encoding cannot decode or encode, an unknown XPath
// function) through its generic error function, which prints them on standard error, rather than
// through a parser's or a context's own handler. While an XmlGenericErrorsSilenced lives, this
// thread's generic errors are dropped; the caller reports the fault from the handler it owns.

namespace zentavo {

class XmlGenericErrorsSilenced {
public:
    XmlGenericErrorsSilenced();
    ~XmlGenericErrorsSilenced();
    XmlGenericErrorsSilenced(const XmlGenericErrorsSilenced&) = delete;
    XmlGenericErrorsSilenced& operator=(const XmlGenericErrorsSilenced&) = delete;

private:
    void (*function_)(void*, const char*, ...); // libxml2's xmlGenericErrorFunc, put back at the end
    void* context_;
};

} // namespace zentavo
