# The client as a page: kringelbahn.html with its script, WebAssembly and the
# font files it carries.
set(KB_FONT_DIR /usr/share/fonts/truetype/liberation)
set_target_properties(kringelbahn PROPERTIES SUFFIX .html)
set(KB_PAGE_OPTIONS
    -sINITIAL_MEMORY=64MB -sALLOW_MEMORY_GROWTH=1 -sFETCH=1 -lwebsocket.js
    -sENVIRONMENT=web -sMINIFY_HTML=0 --shell-file ${CMAKE_SOURCE_DIR}/dist/web/shell.html)
# SHELL: keeps CMake from folding the repeated --preload-file into one.
foreach(style Regular Bold Italic BoldItalic)
  list(APPEND KB_PAGE_OPTIONS "SHELL:--preload-file ${KB_FONT_DIR}/LiberationSans-${style}.ttf@/fonts/LiberationSans-${style}.ttf")
endforeach()
# SDL's Web Audio output calls these from its inline script: the sound starts
# with the first key press, click or tap (browsers allow no sooner), and the
# device's callback is reached through the function table. A file, as their
# names begin with a dollar that no shell should see.
list(APPEND KB_PAGE_OPTIONS -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/tools/web/sound_functions.txt)
target_link_options(kringelbahn PRIVATE ${KB_PAGE_OPTIONS})
set_property(TARGET kringelbahn APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/dist/web/shell.html
                                                        ${CMAKE_SOURCE_DIR}/tools/web/sound_functions.txt)
