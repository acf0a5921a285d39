// A file of a program that reaches the link library's internals: the private-header check must
// refuse the tree it stands in.
#include "devlink/src/frame_receiver.h"
