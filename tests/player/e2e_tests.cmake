# End-to-end playback: the real web engine (offscreen) against media generated with ffmpeg and served
# on 127.0.0.1.
add_executable(e2e_playback e2e_playback.cpp)
target_link_libraries(e2e_playback PRIVATE zentavo_player zentavo_crypto zentavo_test_support
  Qt6::Widgets Qt6::WebEngineWidgets Qt6::Test)
zentavo_add_test(e2e_playback e2e_playback TIMEOUT 300 LABELS e2e webengine)
# Under the sanitizers: Qt WebEngine's own new/delete mismatch and leaks are not ours to report.
set_property(TEST e2e_playback APPEND PROPERTY ENVIRONMENT
  "ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0:abort_on_error=1")
