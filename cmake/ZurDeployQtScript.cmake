# Puts beside PROGRAM (in DEST) every DLL it needs that is not part of Windows: those PROGRAM and the
# given Qt plug-ins import, and those they import in turn, found by reading their import tables
# (OBJDUMP -p) and looked up in SEARCH (Qt's bin folder, the mingw runtime's folders). Then the
# plug-ins themselves, Qt's Russian texts, and a qt.conf that makes DEST Qt's prefix, so that the
# folder runs wherever it is copied.
# Arguments: PROGRAM, DEST, SEARCH, PLUGIN_DIR, PLUGINS (paths under PLUGIN_DIR), OBJDUMP, TRANSLATIONS.
cmake_minimum_required(VERSION 3.25)

set(queue ${PROGRAM})
foreach(plugin IN LISTS PLUGINS)
  get_filename_component(sub ${plugin} DIRECTORY)
  file(COPY ${PLUGIN_DIR}/${plugin} DESTINATION ${DEST}/${sub})
  list(APPEND queue ${PLUGIN_DIR}/${plugin})
endforeach()

set(seen)
while(queue)
  list(POP_FRONT queue file)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${file}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" name "${import}")
    string(TOLOWER ${name} key)
    if(key IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${key})
    foreach(dir IN LISTS SEARCH)
      if(EXISTS ${dir}/${name})
        file(COPY ${dir}/${name} DESTINATION ${DEST})
        list(APPEND queue ${dir}/${name})
        break()
      endif()
    endforeach()
  endforeach()
endwhile()

file(COPY ${TRANSLATIONS} DESTINATION ${DEST}/translations)
file(WRITE ${DEST}/qt.conf "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
