# The five cue files of the trainer, synthesized at build time by sox from the recipe below
# (sox's own synth effects only). Each is 16-bit mono at 22050 Hz and lasts 0.5 to 1.5 seconds.
# They land in ${CMAKE_BINARY_DIR}/sounds, where a trainer started from the build tree finds them,
# and are installed to share/vhf-dsc-trainer/sounds.

find_program(SOX_EXECUTABLE sox REQUIRED)

set(VHF_SOUNDS_OUT ${CMAKE_BINARY_DIR}/sounds)
set(VHF_SOUND_FORMAT -r 22050 -b 16 -c 1 -e signed-integer)
set(VHF_SOUND_FILES)

# vhf_sound(<file> [INPUT <input options>...] EFFECTS <sox effects>...)
# INPUT options describe the silent "-n" input (for a multi-voice chord, say); the output format
# is always the one above.
function(vhf_sound file)
  cmake_parse_arguments(S "" "" "INPUT;EFFECTS" ${ARGN})
  set(out ${VHF_SOUNDS_OUT}/${file})
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VHF_SOUNDS_OUT}
    COMMAND ${SOX_EXECUTABLE} -q ${S_INPUT} -n ${VHF_SOUND_FORMAT} ${out} ${S_EFFECTS}
    DEPENDS ${CMAKE_CURRENT_LIST_FILE}
    COMMENT "Synthesizing sound cue ${file}"
    VERBATIM)
  set(VHF_SOUND_FILES ${VHF_SOUND_FILES} ${out} PARENT_SCOPE)
endfunction()

# Alarm: a two-tone siren, 740 Hz and 1010 Hz alternating every 0.15 s, 0.75 s in all, so that
# the distress alert's two pairs of it fill its three seconds exactly.
vhf_sound(Burglar.wav EFFECTS
  synth 0.75 square 740 gain -10
  bend 0.15,550,0.001 0.149,-550,0.001 0.149,550,0.001 0.149,-550,0.001
  lowpass 3500 gain -n -3)

# Boing: a falling sine with a wobble, dying away, 0.6 s.
vhf_sound(Boing.wav EFFECTS
  synth 0.6 sine 300-90 tremolo 14 40 fade q 0 0.6 0.5 gain -n -3)

# Telephone ring: two mixed tones chopped twenty times a second, 0.8 s.
vhf_sound(Phone.wav EFFECTS
  synth 0.8 sine 1000 sine mix 1400 tremolo 20 100 fade 0.01 0.8 0.1 gain -n -3)

# Chimes: three plucked notes (E5, G5, C6) struck 0.15 s apart, 0.8 s. Plucked strings are
# synthesized at 44.1 kHz and brought down to the common rate.
vhf_sound(Chimes.wav INPUT -c 3 -r 44100 EFFECTS
  synth 0.8 pluck E5 pluck G5 pluck C6 delay 0 0.15 0.3 remix - trim 0 0.8 rate 22050 gain -n -3)

# Shutdown: a tone falling two octaves, fading out, 0.9 s.
vhf_sound(Shutdown.wav EFFECTS
  synth 0.9 sine 880-220 fade q 0.02 0.9 0.3 gain -n -3)

add_custom_target(sounds ALL DEPENDS ${VHF_SOUND_FILES})
install(FILES ${VHF_SOUND_FILES} DESTINATION share/vhf-dsc-trainer/sounds)
