# Reads the sound table, src/shell/sounds.def, for the embedding, and holds it against the files:
# every row's file must be under assets/sounds with its synth source under tools/synth/sounds, and
# every file there and every source must have a row. Usable in script mode too (the test
# tests/sound_table_test.cmake runs it on a tree of its own).

# kestrune_read_sound_table(DEF ASSETS SOURCES FILES_VAR PROBLEMS_VAR): FILES_VAR gets the files
# of the rows in row order, each once ("loading.ogg;gem_collect.ogg;..."); PROBLEMS_VAR one line a
# problem, each naming its file or row (empty when the table and the files agree).
function(kestrune_read_sound_table def assets sources files_var problems_var)
  set(_files)
  set(_problems)
  file(STRINGS ${def} _rows REGEX "^[ \t]*SOUND[ \t]*\\(")
  foreach(row IN LISTS _rows)
    set(_sep " *, *")
    if(NOT row MATCHES "^SOUND\\( *([A-Za-z_][A-Za-z0-9_]*)${_sep}\"([^\"/]+)\\.ogg\"${_sep}(ONCE|LOOP)${_sep}(DECODED|STREAMED) *\\)[ ]*(//.*)?$")
      list(APPEND _problems "${def}: a row the build cannot read: ${row}")
      continue()
    endif()
    set(_slot ${CMAKE_MATCH_1})
    set(_name ${CMAKE_MATCH_2})
    if(NOT EXISTS ${assets}/${_name}.ogg)
      list(APPEND _problems
        "the sound ${_slot} has no file assets/sounds/${_name}.ogg (render it: cmake --build BUILD --target sounds)")
    endif()
    if(NOT EXISTS ${sources}/${_name}.synth)
      list(APPEND _problems "the sound ${_slot} has no source tools/synth/sounds/${_name}.synth")
    endif()
    if(NOT "${_name}.ogg" IN_LIST _files)
      list(APPEND _files ${_name}.ogg)
    endif()
  endforeach()
  file(GLOB _oggs RELATIVE ${assets} ${assets}/*.ogg)
  file(GLOB _synths RELATIVE ${sources} ${sources}/*.synth)
  list(SORT _oggs)
  list(SORT _synths)
  foreach(ogg IN LISTS _oggs)
    if(NOT ogg IN_LIST _files)
      list(APPEND _problems "assets/sounds/${ogg} has no row in src/shell/sounds.def")
    endif()
  endforeach()
  foreach(synth IN LISTS _synths)
    string(REGEX REPLACE "\\.synth$" ".ogg" _ogg ${synth})
    if(NOT _ogg IN_LIST _files)
      list(APPEND _problems "tools/synth/sounds/${synth} has no row in src/shell/sounds.def")
    endif()
  endforeach()
  set(${files_var} ${_files} PARENT_SCOPE)
  set(${problems_var} ${_problems} PARENT_SCOPE)
endfunction()
