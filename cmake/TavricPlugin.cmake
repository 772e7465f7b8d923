# tavric_add_plugin(<target> <brd...|pro...> sources...): a plug-in library
# named as the host's loader expects, linked to the SDK only.
if(NOT COMMAND tavric_add_plugin)
  function(tavric_add_plugin target output_name)
    add_library(${target} MODULE ${ARGN})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${output_name} SUFFIX ".so")
    target_compile_features(${target} PRIVATE cxx_std_20)
    target_link_libraries(${target} PRIVATE Tavric::sdk)
  endfunction()
endif()
