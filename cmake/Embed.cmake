# Files compiled into the program. embed_file writes a source or a header by
# the output's extension; either is re-made when the file changes, and <file>
# may be the output of a custom command in the same directory.

function(pentrill_embed_as target symbol file extension)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.${extension})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/embedded
    COMMAND embed_file ${file} ${output} ${symbol}
    DEPENDS embed_file ${file}
    COMMENT "Embedding ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# pentrill_embed(<target> <symbol> <file>)
#
# Compiles <file> into <target> as a byte array, reachable as
#     std::span<const unsigned char> pentrill::embedded::<symbol>();
# The caller declares that function where it is used.
function(pentrill_embed target symbol file)
  pentrill_embed_as(${target} ${symbol} ${file} cpp)
endfunction()

# pentrill_embed_header(<target> <symbol> <file>)
#
# Generates embedded/<symbol>.h in the current binary directory, holding the
# bytes of <file> as pentrill::embedded::<symbol>Words and <symbol>Size for a
# source of <target> to include (and check at compile time).
function(pentrill_embed_header target symbol file)
  pentrill_embed_as(${target} ${symbol} ${file} h)
endfunction()
