# Joins the player objects' scripts, in the order given, into the one script that the host injects
# into every player page: a strict-mode function around them, so that their names stay private to
# it, and a comment before each file that names it.
#   cmake -DOUTPUT=file -DSOURCE_DIR=dir -DSCRIPTS="a.js;b.js" -P ConcatenateScripts.cmake
set(text "(function () {\n'use strict';\n")
foreach(script ${SCRIPTS})
  file(READ "${SOURCE_DIR}/${script}" body)
  string(APPEND text "// ---- ${script}\n${body}\n")
endforeach()
string(APPEND text "})();\n")
file(WRITE "${OUTPUT}.tmp" "${text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
