# End-to-end playback: the real web engine (offscreen) against media generated with ffmpeg and served
# on 127.0.0.1.
add_executable(e2e_playback e2e_playback.cpp)
target_link_libraries(e2e_playback PRIVATE zentavo_player zentavo_crypto zentavo_test_support Qt6::Test)
zentavo_add_test(e2e_playback e2e_playback TIMEOUT 600 LABELS e2e)
