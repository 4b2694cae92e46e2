// The movie side of the program: FSCommand(command, args) reaches the program's movie view.
(function () {
    'use strict';
    if (window.top !== window) {
        return;
    }
    Object.defineProperty(window, 'FSCommand', {
        value: function (command, args) {
            var c = command === undefined || command === null ? '' : String(command);
            var a = args === undefined || args === null ? '' : String(args);
            window.__mapvaleChannel(function (objects) {
                objects.mapvaleMovie.fsCommand(c, a);
            });
        }
    });
})();
