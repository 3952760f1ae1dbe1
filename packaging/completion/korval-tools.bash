# bash completion for the KORVAL modding tools. The same file is installed
# once per program name; bash-completion loads it by the command's name.
#
# Each program's options are listed in one place, _kvl_options below: add a
# program's new options there (options that take a value also go in
# _kvl_value_options).

_kvl_options()
{
    case "$1" in
        planesedit) echo "--slot --quit-after-load --export-csv --import-csv --apply-script --apply-working-copy -n --dry-run -h --help -v --version" ;;
        fltpatch) echo "--quit-after-load --export-csv --import-csv -h --help -v --version" ;;
        modelconv) echo "--vkm --text --info --json -o --out -f --force -n --dry-run -h --help --version" ;;
        modelview) echo "--quit-after-load --export-png --size --view -h --help -v --version" ;;
        folioswap) echo "--quit-after-load --list --add-set --name --dry-run -h --help -v --version" ;;
        campconv | squadconv) echo "" ;;
    esac
}

_kvl_value_options()
{
    case "$1" in
        planesedit) echo "--slot --import-csv --apply-script --apply-working-copy" ;;
        modelconv) echo "-o --out" ;;
        fltpatch) echo "--import-csv" ;;
        modelview) echo "--export-png --size --view" ;;
        folioswap) echo "--add-set --name" ;;
    esac
}

# Files a program opens from its command line, as an extglob pattern that
# matches any letter case (the game's files come in every spelling).
_kvl_file_pattern()
{
    case "$1" in
        modelview) echo "@([vV][kK][mM])" ;;
        fltpatch) echo "@([fF][lL][tT])" ;;
        modelconv) echo "@(3[dD][bB])" ;;
        planesedit) echo "@([dD][aA][tT])" ;;
    esac
}

_kvl_complete()
{
    local cur prev words cword
    _init_completion || return
    local program=${1##*/}

    local option
    for option in $(_kvl_value_options "$program"); do
        if [[ $prev == "$option" ]]; then
            case "$program:$option" in
                planesedit:--slot) COMPREPLY=($(compgen -W "$(seq 0 29)" -- "$cur")) ;;
                planesedit:--import-csv) _filedir "@([cC][sS][vV])" ;;
                planesedit:--apply-script | planesedit:--apply-working-copy) _filedir "@([oO][aA][wW])" ;;
                modelconv:-o | modelconv:--out) _filedir -d ;;
                fltpatch:--import-csv) _filedir "@([cC][sS][vV])" ;;
                modelview:--export-png) _filedir "@([pP][nN][gG])" ;;
                modelview:--size) COMPREPLY=($(compgen -W "256x256 512x512 1024x1024" -- "$cur")) ;;
                modelview:--view) COMPREPLY=($(compgen -W "perspective front top size" -- "$cur")) ;;
                folioswap:--add-set) _filedir "@([zZ][iI][pP]|7[zZ]|[rR][aA][rR]|[tT][aA][rR]|[tT][gG][zZ]|[gG][zZ]|[bB][zZ]2|[xX][zZ])" ;;
            esac
            return
        fi
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_kvl_options "$program")" -- "$cur"))
        return
    fi

    local pattern
    pattern=$(_kvl_file_pattern "$program")
    if [[ -n $pattern ]]; then
        _filedir "$pattern"
    fi
}

complete -F _kvl_complete modelconv modelview campconv squadconv planesedit folioswap fltpatch
