target_link_libraries(${target} PRIVATE ktgsim)   # the virtual Device behind the air frame
