# Installs the build into a staging folder (DESTDIR, prefix /usr), checks that
# every installed piece is there and that the desktop entry and the AppStream
# metadata validate, then runs the installed program headless for 60 frames
# with HOME in a fresh folder: the player's files must appear in the per-user
# folder and nothing may be written under the prefix.
#   cmake -DBUILD=<build dir> -DAPP_ID=<id> -P CheckInstall.cmake
set(work ${BUILD}/install-check)
set(stage ${work}/stage)
set(home ${work}/home)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${home})

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "failed (${code}): ${ARGV}\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -E env DESTDIR=${stage} ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr)
set(usr ${stage}/usr)
set(expected
  bin/velmora
  share/velmora/language.ini share/velmora/classes.xml share/velmora/sound.ini
  share/velmora/Menu/menu-main.xml share/velmora/Levels/level_1.xml share/velmora/Music/theme1.ogg
  share/applications/${APP_ID}.desktop share/metainfo/${APP_ID}.metainfo.xml share/man/man6/velmora.6)
foreach(size 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
foreach(f ${expected})
  if(NOT EXISTS ${usr}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
foreach(f velmora app.log config.ini scores.ini saved.ini)
  if(EXISTS ${usr}/share/velmora/${f})
    message(FATAL_ERROR "installed with the data but not data: ${f}")
  endif()
endforeach()

run(desktop-file-validate ${usr}/share/applications/${APP_ID}.desktop)
run(appstreamcli validate --no-net ${usr}/share/metainfo/${APP_ID}.metainfo.xml)

# Every file under the prefix with its time and size, before and after the run.
function(fingerprint out)
  file(GLOB_RECURSE files LIST_DIRECTORIES true ${stage}/*)
  set(lines)
  foreach(f ${files})
    file(TIMESTAMP ${f} t "%s")
    if(IS_DIRECTORY ${f})
      list(APPEND lines "${f} ${t}")
    else()
      file(SIZE ${f} s)
      list(APPEND lines "${f} ${t} ${s}")
    endif()
  endforeach()
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

fingerprint(before)
# A fresh player: only HOME tells the program where they live. The working
# folder is somewhere else entirely, to show that it does not matter.
run(${CMAKE_COMMAND} -E chdir ${work}
    ${CMAKE_COMMAND} -E env --unset=XDG_DATA_HOME --unset=XDG_CONFIG_HOME --unset=VELMORA_CONFIG_HOME
    HOME=${home} XDG_RUNTIME_DIR=${work} ${usr}/bin/velmora --headless --frames 60)
fingerprint(after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the run wrote under the prefix:\nbefore: ${before}\nafter: ${after}")
endif()
set(player ${home}/.local/share/velmora)
foreach(f config.ini scores.ini app.log)
  if(NOT EXISTS ${player}/${f})
    message(FATAL_ERROR "${f} is not in the per-user folder ${player}")
  endif()
endforeach()
file(READ ${player}/app.log log)
if(NOT log MATCHES "Player files in '${player}'")
  message(FATAL_ERROR "the log does not name the player's folder:\n${log}")
endif()
if(log MATCHES "\\.\\.\\. FAILED")
  message(FATAL_ERROR "the installed game missed some of its data:\n${log}")
endif()
file(REMOVE_RECURSE ${work})
message(STATUS "installed, validated and run from ${usr}")
