# chronivo_embed_resource(<target> <file> <symbol>)
#
# Carries a file of resources/ inside the program: adds to <target> a generated source that defines
#     extern const unsigned char <symbol>[];  extern const std::size_t <symbol>_size;
# (declare them in the code that reads them; the array is aligned to 16 bytes). Regenerated whenever the file changes. The generating
# rule belongs to the calling folder, so the bytes are compiled in an object library made here and
# taken into <target> from it; <target> may be defined in any folder.
function(chronivo_embed_resource target file symbol)
    get_filename_component(input "${file}" ABSOLUTE)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
                -P "${PROJECT_SOURCE_DIR}/cmake/EmbedResourceScript.cmake"
        DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/EmbedResourceScript.cmake"
        COMMENT "Embedding ${file}"
        VERBATIM)
    add_library(chronivo_embedded_${symbol} OBJECT "${output}")
    target_link_libraries(${target} PRIVATE chronivo_embedded_${symbol})
endfunction()
