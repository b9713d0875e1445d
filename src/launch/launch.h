// The worker's launch: native library path and the JVM creation with the call of the entry class.
#pragma once
#include <jni.h>

#include <string>
#include <vector>

namespace quorv {

void setNativeLibraryPath();
// True when the JVM was created through `createJavaVM` (the loaded library's
// "JNI_CreateJavaVM") and main was called and returned.
bool launchProgram(std::vector<std::u16string>& launchArguments, bool destroy,
                   jint(JNICALL* createJavaVM)(JavaVM**, void**, void*));

}  // namespace quorv
