# pentrill_embed(<target> <symbol> <file>)
#
# Compiles <file> into <target> as a byte array, reachable as
#     std::span<const unsigned char> pentrill::embedded::<symbol>();
# The caller declares that function where it is used. <file> may be the output
# of a custom command in the same directory; it is re-embedded when it changes.
function(pentrill_embed target symbol file)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/embedded
    COMMAND embed_file ${file} ${source} ${symbol}
    DEPENDS embed_file ${file}
    COMMENT "Embedding ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${source})
endfunction()

# pentrill_embed_header(<target> <symbol> <file>)
#
# Generates embedded/<symbol>.h in the current binary directory, holding the
# bytes of <file> as pentrill::embedded::<symbol>Words and <symbol>Size for a
# source of <target> to include (and check at compile time).
function(pentrill_embed_header target symbol file)
  set(header ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.h)
  add_custom_command(
    OUTPUT ${header}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/embedded
    COMMAND embed_file ${file} ${header} ${symbol}
    DEPENDS embed_file ${file}
    COMMENT "Embedding ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${header})
endfunction()
