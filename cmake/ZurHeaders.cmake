# A library's public include path shows its own folder and nothing else of the tree. The folder is
# linked into a staging directory of the target's own in the build tree, under its path from the
# top, so includes keep reading "serial/MyCOMM.h" while a target that uses another library's
# headers has to link that library. A program whose sources include headers of their own folder
# the same way stages it PRIVATE.
function(zur_folder_headers target scope)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(stage ${PROJECT_BINARY_DIR}/headers/${target})
  get_filename_component(parent ${stage}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${stage}/${folder} SYMBOLIC)
  target_include_directories(${target} ${scope} ${stage})
endfunction()
