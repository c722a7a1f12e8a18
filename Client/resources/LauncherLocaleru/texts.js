Texts.define("ru", {
    "title": "Бренник Онлайн",
    "minimise": "Свернуть",
    "exit": "Выход",
    "status.starting": "Запуск…",
    "status.connected": "Связь с программой установлена",
    "status.ready": "Готово",
    "language.ru": "Русский",
    "language.en": "English",
    "site": "Сайт игры",
    "fullcheck.run": "Проверить файлы",
    "fullcheck.running": "Проверка файлов игры…",
    "fullcheck.valid": "Все файлы игры в порядке.",
    "fullcheck.damaged": "Найдены повреждённые файлы:",
    "fullcheck.systemcrash": "Повреждены файлы работающей программы запуска. Переустановите игру.",
    "fullcheck.noversion": "Не удаётся прочитать описание установленной игры.",
    "fullcheck.code.3": "(отсутствует)",
    "fullcheck.code.4": "(неверный размер)",
    "fullcheck.code.5": "(изменён)",
    // Which optional steps this edition offers.
    "option.progressive": "false"
});
