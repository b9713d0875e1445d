// JVM discovery and loading: the worker's single entry is LoadDLL.
#pragma once
#include <jni.h>

namespace quorv {

using CreateJavaVMFn = jint(JNICALL*)(JavaVM**, void**, void*);
extern CreateJavaVMFn createJavaVM;  // set when "JNI_CreateJavaVM" was found

// True when a JVM library is loaded and createJavaVM is set; otherwise shows one message
// (when showMessages) and returns false.
bool LoadDLL(bool showMessages);

}  // namespace quorv
