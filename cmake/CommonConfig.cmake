# Build flags shared by every target of the project: link zentavo_common_flags.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

option(ZENTAVO_WERROR "Treat warnings as errors" OFF)
option(ZENTAVO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(zentavo_common_flags INTERFACE)
target_compile_options(zentavo_common_flags INTERFACE -Wall -Wextra -Wpedantic
  -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual)
target_compile_definitions(zentavo_common_flags INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_CONTEXTLESS_CONNECT)
if(ZENTAVO_WERROR)
  target_compile_options(zentavo_common_flags INTERFACE -Werror)
endif()
if(ZENTAVO_SANITIZE)
  target_compile_options(zentavo_common_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zentavo_common_flags INTERFACE -fsanitize=address,undefined)
endif()
