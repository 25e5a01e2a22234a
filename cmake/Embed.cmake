# Files compiled into the program. Either output is re-made when its file
# changes, and <file> may be the output of a custom command in the same
# directory.

# pentrill_embed(<target> <symbol> <file>)
#
# Compiles <file> into <target> as a byte array, reachable as
#     std::span<const unsigned char> pentrill::embedded::<symbol>();
# The caller declares that function where it is used.
function(pentrill_embed target symbol file)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/embedded
    COMMAND embed_file ${file} ${output} ${symbol}
    DEPENDS embed_file ${file}
    COMMENT "Embedding ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# pentrill_embed_figure(<target> <symbol> <file>)
#
# Generates embedded/<symbol>.h in the current binary directory, holding the
# bitmap <file> compressed with zlib as the pentrill::CompressedBitmap
# pentrill::embedded::<symbol>, with the bitmap header read from the file for
# a source of <target> to include and check at compile time.
function(pentrill_embed_figure target symbol file)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.h)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/embedded
    COMMAND embed_figure ${file} ${output} ${symbol}
    DEPENDS embed_figure ${file}
    COMMENT "Compressing ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
