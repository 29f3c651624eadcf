# The MCI layer's readers: WAV through libsndfile's virtual I/O, MIDI through our chunk check and
# FluidSynth's player from memory.
vorlin_add_fuzzer(music_wav_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/music/music_wav_fuzzer.cpp LIBS vorlin_mci)
vorlin_add_fuzzer(music_midi_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/music/music_midi_fuzzer.cpp LIBS vorlin_mci)
