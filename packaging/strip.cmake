# Run by CPack on the staged files, before it packs them: strips the
# programs as Debian's dh_strip does, symbols and the compiler's .comment
# and .note sections alike.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
if(NOT programs)
  message(FATAL_ERROR "No program staged under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program IN LISTS programs)
  execute_process(
    COMMAND "${CPACK_LARKSPUR_STRIP}" --remove-section=.comment --remove-section=.note --strip-unneeded "${program}"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
