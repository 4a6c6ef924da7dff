# The order of the program's parts, checked on every build: a file may include its own folder and the
# folders before it in these lists, never one after it, and no file below the shell includes Qt.
#
#   layers:  jet  db  split  app  wizard  (then the program's entry, the tools, the tests: anything)
#   engine:  base  format  crypt  file  read  encode  write|create  (write and create: neither includes the other)
#
# The layers above the engine include only its public headers, the files directly in jet/ (jet/Jet.h),
# which may include any of the engine's folders and which none of them includes.
#
# Run as a script: cmake -DROOT=<source dir> -DSTAMP=<file to touch> -P IncludeOrder.cmake

set(layers jet db split app wizard)
set(engine base format crypt file read encode write create)

function(rank_of list item out)
  list(FIND ${list} "${item}" i)
  set(${out} ${i} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${ROOT}
  ${ROOT}/jet/*.h ${ROOT}/jet/*.cpp ${ROOT}/db/*.h ${ROOT}/db/*.cpp ${ROOT}/split/*.h ${ROOT}/split/*.cpp
  ${ROOT}/app/*.h ${ROOT}/app/*.cpp ${ROOT}/wizard/*.h ${ROOT}/wizard/*.cpp)

set(faults "")
foreach(f ${sources})
  string(REGEX MATCH "^[^/]+" layer "${f}")
  rank_of(layers ${layer} own)
  file(STRINGS ${ROOT}/${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${includes})
    if(line MATCHES "[<\"](jet|db|split|app|wizard)/([^\">]+)[\">]")
      set(target ${CMAKE_MATCH_1})
      set(rest ${CMAKE_MATCH_2})
      rank_of(layers ${target} theirs)
      if(theirs GREATER own)
        list(APPEND faults "${f}: includes ${target}/${rest}, a layer above ${layer}/")
      elseif(NOT layer STREQUAL "jet" AND target STREQUAL "jet" AND rest MATCHES "/")
        list(APPEND faults "${f}: includes jet/${rest}, but the layers above the engine include only its public headers (jet/Jet.h)")
      elseif(layer STREQUAL "jet" AND target STREQUAL "jet" AND f MATCHES "^jet/[^/]+$")
        # A public header: it may include any of the engine's folders.
      elseif(layer STREQUAL "jet" AND target STREQUAL "jet" AND NOT rest MATCHES "/")
        list(APPEND faults "${f}: includes jet/${rest}, the engine's public header, which the engine's own folders do not include")
      elseif(layer STREQUAL "jet" AND target STREQUAL "jet")
        string(REGEX MATCH "^jet/([^/]+)/" _ "${f}")
        set(mine ${CMAKE_MATCH_1})
        string(REGEX MATCH "^([^/]+)/" _ "${rest}")
        set(other ${CMAKE_MATCH_1})
        rank_of(engine "${mine}" a)
        rank_of(engine "${other}" b)
        if(a LESS 0)
          list(APPEND faults "${f}: the engine's files live in one of its folders (${engine})")
        elseif(b LESS 0)
          list(APPEND faults "${f}: includes jet/${rest}, which is in none of the engine's folders")
        elseif(NOT mine STREQUAL other AND (b GREATER a OR (mine MATCHES "^(write|create)$" AND other MATCHES "^(write|create)$")))
          list(APPEND faults "${f}: includes jet/${rest}, a folder above jet/${mine}/")
        endif()
      endif()
    elseif(line MATCHES "[<\"](Q[A-Za-z]+)[\">/]" AND layer MATCHES "^(jet|db|split)$")
      list(APPEND faults "${f}: includes Qt (${CMAKE_MATCH_1}); Qt belongs to app/ and wizard/ only")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes out of order:\n  ${text}")
endif()
file(TOUCH ${STAMP})
