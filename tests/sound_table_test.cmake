# The build's reading of the sound table (cmake/sound_table.cmake), on a small tree of its own and
# on the real one: each row's file once in row order, and every disagreement between the table and
# the files named.
#   cmake -DKESTRUNE_SOURCE_DIR=SOURCE -DWORK=FOLDER -P sound_table_test.cmake
cmake_minimum_required(VERSION 3.25)
include(${KESTRUNE_SOURCE_DIR}/cmake/sound_table.cmake)

function(expect what got want)
  if(NOT "${got}" STREQUAL "${want}")
    message(SEND_ERROR "${what}:\n  got  ${got}\n  want ${want}")
  endif()
endfunction()

set(def ${WORK}/sounds.def)
set(assets ${WORK}/assets)
set(sources ${WORK}/sources)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${assets} ${sources})
set(rows
  "// A comment, and rows aligned by hand.\n"
  "//    slot    file     play  load\n"
  "SOUND(Beep,   \"beep.ogg\", ONCE, DECODED)\n"
  "SOUND(Song,   \"song.ogg\", LOOP, STREAMED)\n"
  "SOUND( Song2,\"song.ogg\",LOOP , STREAMED )  // a second sound of song.ogg\n")
file(WRITE ${def} ${rows})
foreach(name beep song)
  file(TOUCH ${assets}/${name}.ogg ${sources}/${name}.synth)
endforeach()

kestrune_read_sound_table(${def} ${assets} ${sources} files problems)
expect("files of an agreeing table" "${files}" "beep.ogg;song.ogg")
expect("problems of an agreeing table" "${problems}" "")

# A file and a source with no row.
file(TOUCH ${assets}/boom.ogg ${sources}/boom.synth)
kestrune_read_sound_table(${def} ${assets} ${sources} files problems)
expect("a file and a source with no row" "${problems}"
  "assets/sounds/boom.ogg has no row in src/shell/sounds.def;tools/synth/sounds/boom.synth has no row in src/shell/sounds.def")
file(REMOVE ${assets}/boom.ogg ${sources}/boom.synth)

# A row with neither its file nor its source, and a row the build cannot read.
file(APPEND ${def} "SOUND(Boom,   \"boom.ogg\", ONCE, DECODED)\n" "SOUND(Bad, bad.ogg, ONCE, DECODED)\n")
kestrune_read_sound_table(${def} ${assets} ${sources} files problems)
expect("files with a new row" "${files}" "beep.ogg;song.ogg;boom.ogg")
expect("a row without its file and source, and an unreadable row" "${problems}"
  "the sound Boom has no file assets/sounds/boom.ogg (render it: cmake --build BUILD --target sounds);the sound Boom has no source tools/synth/sounds/boom.synth;${def}: a row the build cannot read: SOUND(Bad, bad.ogg, ONCE, DECODED)")

# The game's own table agrees with its files.
kestrune_read_sound_table(${KESTRUNE_SOURCE_DIR}/src/shell/sounds.def
  ${KESTRUNE_SOURCE_DIR}/assets/sounds ${KESTRUNE_SOURCE_DIR}/tools/synth/sounds files problems)
expect("problems of the game's table" "${problems}" "")
file(GLOB shipped RELATIVE ${KESTRUNE_SOURCE_DIR}/assets/sounds ${KESTRUNE_SOURCE_DIR}/assets/sounds/*.ogg)
list(LENGTH shipped want)
list(LENGTH files got)
expect("files of the game's table" "${got}" "${want}")
file(REMOVE_RECURSE ${WORK})
