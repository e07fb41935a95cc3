#pragma once

namespace cdflash {

// How the user closed a question or a message box.
enum class Answer { Yes, No, Ok, Closed };

}  // namespace cdflash
