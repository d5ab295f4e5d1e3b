#pragma once

/// Thrown by value when the application asks a cancellable engine command to stop. Command
/// entries catch it, undo the command's partial work and answer JxCancelled.
struct JxExCancel {};
