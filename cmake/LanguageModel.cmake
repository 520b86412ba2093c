# The recogniser's language model of the procedures, built at build time: tools/lm-corpus.sh
# writes the transmissions, irstlm makes a trigram model of them (Witten-Bell smoothing), and
# sphinxbase's converter turns it into pocketsphinx's binary form. It lands in
# ${CMAKE_BINARY_DIR}/voice, where a trainer started from the build tree finds it, and is
# installed to share/vhf-dsc-trainer/voice.

find_program(VHF_IRSTLM_BUILD build-lm.sh PATHS /usr/lib/irstlm/bin REQUIRED)
find_program(VHF_IRSTLM_ADD_START_END add-start-end.sh PATHS /usr/lib/irstlm/bin REQUIRED)
find_program(VHF_IRSTLM_COMPILE compile-lm PATHS /usr/lib/irstlm/bin REQUIRED)
find_program(VHF_SPHINX_LM_CONVERT sphinx_lm_convert REQUIRED)
get_filename_component(VHF_IRSTLM_BIN ${VHF_IRSTLM_BUILD} DIRECTORY)
get_filename_component(VHF_IRSTLM_ROOT ${VHF_IRSTLM_BIN} DIRECTORY)

set(VHF_LM_DIR ${CMAKE_BINARY_DIR}/voice)
set(VHF_LM_WORK ${CMAKE_BINARY_DIR}/voice-lm)
set(VHF_LM_FILE ${VHF_LM_DIR}/procedures.lm.bin)
add_custom_command(
  OUTPUT ${VHF_LM_FILE}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VHF_LM_WORK}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VHF_LM_WORK} ${VHF_LM_DIR}
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tools/lm-corpus.sh > ${VHF_LM_WORK}/corpus.txt
  COMMAND ${VHF_IRSTLM_ADD_START_END} < ${VHF_LM_WORK}/corpus.txt > ${VHF_LM_WORK}/corpus.se
  COMMAND ${CMAKE_COMMAND} -E env IRSTLM=${VHF_IRSTLM_ROOT} PATH=${VHF_IRSTLM_BIN}:$ENV{PATH}
          ${VHF_IRSTLM_BUILD} -i ${VHF_LM_WORK}/corpus.se -n 3 -o ${VHF_LM_WORK}/lm.gz -s witten-bell
          -t ${VHF_LM_WORK}/stat > ${VHF_LM_WORK}/build-lm.log 2>&1
  COMMAND ${VHF_IRSTLM_COMPILE} --text=yes ${VHF_LM_WORK}/lm.gz ${VHF_LM_WORK}/lm.arpa > ${VHF_LM_WORK}/compile-lm.log 2>&1
  COMMAND ${VHF_SPHINX_LM_CONVERT} -i ${VHF_LM_WORK}/lm.arpa -o ${VHF_LM_FILE} > ${VHF_LM_WORK}/convert.log 2>&1
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/lm-corpus.sh ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Building the procedures' language model"
  VERBATIM)
add_custom_target(vhf_language_model ALL DEPENDS ${VHF_LM_FILE})
install(FILES ${VHF_LM_FILE} DESTINATION share/vhf-dsc-trainer/voice)
