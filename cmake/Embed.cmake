# Files compiled into the program. Either output is re-made when its file
# changes, and <file> may be the output of a custom command in the same
# directory.

# The output embedded/<symbol>.<extension> that <tool> makes of <file>.
function(pentrill_embed_with tool target symbol file extension comment)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.${extension})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/embedded
    COMMAND ${tool} ${file} ${output} ${symbol}
    DEPENDS ${tool} ${file}
    COMMENT "${comment} ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# pentrill_embed(<target> <symbol> <file>)
#
# Compiles <file> into <target> as a byte array, reachable as
#     std::span<const unsigned char> pentrill::embedded::<symbol>();
# The caller declares that function where it is used.
function(pentrill_embed target symbol file)
  pentrill_embed_with(embed_file ${target} ${symbol} ${file} cpp "Embedding")
endfunction()

# pentrill_embed_figure(<target> <symbol> <file>)
#
# Generates embedded/<symbol>.h in the current binary directory, holding the
# bitmap <file> compressed with zlib as the pentrill::CompressedBitmap
# pentrill::embedded::<symbol>, with the bitmap header read from the file for
# a source of <target> to include and check at compile time.
function(pentrill_embed_figure target symbol file)
  pentrill_embed_with(embed_figure ${target} ${symbol} ${file} h "Compressing")
endfunction()

# pentrill_embed_text(<target> <symbol> <file>)
#
# Generates embedded/<symbol>.h in the current binary directory, holding the
# UTF-8 text <file> as the Windows-1252 std::string_view
# pentrill::embedded::<symbol>, for a source of <target> to include. The build
# stops when the file is missing or is not lines of Windows-1252 characters.
function(pentrill_embed_text target symbol file)
  pentrill_embed_with(embed_text ${target} ${symbol} ${file} h "Converting")
endfunction()
