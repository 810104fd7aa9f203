# Installs the build into a scratch prefix and checks the tree (tests/install).
add_test(NAME install_tree
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install/check-install-tree.sh ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND})
set_tests_properties(install_tree PROPERTIES TIMEOUT 120)
